// Message boxes answered from a script, remembering every box shown.
#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

namespace quillmark::test {

struct ShownBox {
    QString text;
    BoxStyle style = BoxStyle::OkInformation;
    QString title;
};

class ScriptedMessageBoxes final : public MessageBoxes {
public:
    // Answers used in order; when they run out, defaultAnswer is given.
    std::deque<BoxAnswer> answers;
    BoxAnswer defaultAnswer = BoxAnswer::Abort;
    QList<ShownBox> shown;
    // Runs while a box is "open", as the real modal box runs pending window events.
    std::function<void()> whileOpen;

    BoxAnswer show(const QString& text, BoxStyle style, const QString& title) override {
        shown.append({text, style, title});
        if (whileOpen) {
            whileOpen();
        }
        if (answers.empty()) {
            return defaultAnswer;
        }
        const BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QStringList texts() const {
        QStringList all;
        for (const auto& box : shown) {
            all.append(box.text);
        }
        return all;
    }
};

}  // namespace quillmark::test
