// The Answers column of a recording: each command and the module's whole answer in hex, apart
// by spaces ("2F:AA36 22:AA78").
#pragma once

#include "recording/RecordingRow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace quillmark {

QByteArray answersText(const std::vector<RecordedAnswer>& answers);

// The check in one pass, without a message: most rows are good, and a day of fast polling has
// millions of them.
bool answersAreWellFormed(QByteArrayView text);
// Checks the column and, where `answers` is given, fills it; what is wrong, empty when nothing.
QString parseAnswers(QByteArrayView text, std::vector<RecordedAnswer>* answers);

// The answer to `command` in an answers column that has been checked, lead byte included;
// empty when the row has none. The first, as RecordingRow::answerTo has it.
QByteArray answerInText(QByteArrayView answers, std::uint8_t command);
bool hasAnswerInText(QByteArrayView answers, std::uint8_t command);

}  // namespace quillmark
