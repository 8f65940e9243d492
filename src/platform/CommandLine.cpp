#include "platform/CommandLine.h"

namespace quillmark {

QString parseLongOptions(QCommandLineParser& parser, const QStringList& args) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // The parser skips the first word, the program's name.
    if (parser.parse(QStringList{QString()} + args)) {
        return {};
    }
    const QStringList unknown = parser.unknownOptionNames();
    return unknown.isEmpty()
               ? parser.errorText()
               : QStringLiteral("unknown option --%1 (see --help)").arg(unknown.first());
}

QString strayWordError(const QCommandLineParser& parser) {
    const QStringList extra = parser.positionalArguments();
    return extra.isEmpty() ? QString()
                           : QStringLiteral("unknown option %1 (see --help)").arg(extra.first());
}

}  // namespace quillmark
