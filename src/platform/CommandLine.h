// The command line of the programs that run without a window (the logger, the simulator): Qt's
// parser, long options written with one dash or two, and the same words for what is wrong.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace quillmark {

// Parses `args` (without the program's name) for the options added to `parser`; what is
// wrong: the first unknown option, named as --name, or Qt's text for a value left out. Empty
// when the options parse.
QString parseLongOptions(QCommandLineParser& parser, const QStringList& args);

// The first word that is neither an option nor its value, as an unknown option; empty when
// there is none.
QString strayWordError(const QCommandLineParser& parser);

}  // namespace quillmark
