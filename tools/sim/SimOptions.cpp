// Command-line parsing for the simulator program.
#include "sim/SimOptions.h"

#include "sim/CommandTable.h"
#include "sim/ModelIds.h"

#include "platform/CommandLine.h"

namespace quillmark::sim {

namespace {

std::optional<long> parseCount(const QString& text) {
    bool ok = false;
    const long value = text.toLong(&ok, 10);
    return ok && value >= 0 ? std::optional<long>(value) : std::nullopt;
}

std::optional<std::uint8_t> parseCommand(const QString& text) {
    bool ok = false;
    // Command bytes are usually written in hex; "27" means 0x27 as well.
    const uint value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                           ? text.mid(2).toUInt(&ok, 16)
                           : text.toUInt(&ok, 16);
    return ok && value <= 0xFF ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(value))
                               : std::nullopt;
}

// MODE[=N][@CMD]
QString parseFault(const QString& fault, SimOptions& out) {
    QString body = fault;
    std::optional<std::uint8_t> command;
    if (const auto at = fault.indexOf(QLatin1Char('@')); at >= 0) {
        command = parseCommand(fault.mid(at + 1));
        if (!command) {
            return QStringLiteral("bad command byte in --fault %1").arg(fault);
        }
        body = fault.left(at);
    }
    const auto eq = body.indexOf(QLatin1Char('='));
    const QString name = eq >= 0 ? body.left(eq) : body;
    const std::optional<long> value = eq >= 0 ? parseCount(body.mid(eq + 1)) : std::nullopt;
    const auto needsValue = [&]() -> QString {
        return value ? QString() : QStringLiteral("--fault %1 needs =N").arg(name);
    };

    if (name == QLatin1String("silent-first")) {
        if (!value) {
            return needsValue();
        }
        out.silentTries.push_back({static_cast<int>(*value), command});
        return {};
    }
    if (name == QLatin1String("stop-after-ms") || name == QLatin1String("stop-after-commands")) {
        if (!value) {
            return needsValue();
        }
        if (command) {
            return QStringLiteral("--fault %1 applies to the whole module").arg(name);
        }
        if (name == QLatin1String("stop-after-ms")) {
            out.stopAfter = std::chrono::milliseconds(*value);
        } else {
            out.stopAfterCommands = *value;
        }
        return {};
    }
    const auto mode = parseFaultName(name.toStdString());
    if (!mode || eq >= 0) {
        return QStringLiteral("unknown fault %1 (see --help)").arg(fault);
    }
    out.faults.push_back({*mode, command});
    return {};
}

}  // namespace

QString simHelpText() {
    QString faults;
    for (const auto& info : kFaults) {
        faults += QStringLiteral("  %1\n").arg(
            QLatin1String(info.name.data(), qsizetype(info.name.size())));
    }
    return QStringLiteral(
               "Usage: quillmark-sim [options]\n"
               "Simulates the engine module on a pseudo-terminal. The first line on standard\n"
               "output is the device to open; the simulator serves until SIGINT or SIGTERM.\n"
               "\n"
               "  --model NAME     Corvane, \"Corvane II\" or \"Corvane II VR\" (default)\n"
               "  --id TEXT        any identifier text, sent as Latin-1\n"
               "  --fault FAULT    MODE[@CMD], repeatable; CMD is a command byte in hex\n"
               "                   silent-first=K[@CMD]  no answer to the first K of a kind\n"
               "                   stop-after-ms=T       silent from T ms after start\n"
               "                   stop-after-commands=N silent after N commands\n"
               "  --pace           send at 56000 baud line speed (default)\n"
               "  --no-pace        send answers at once\n"
               "  --com N          register as ComN in the settings while running\n"
               "  --log FILE       one line per command: ms since start, command in hex\n"
               "                   (\"-\" for standard error)\n"
               "  --replay FILE    answer with the recorded answers of FILE, one row per\n"
               "                   polling tick at the recorded pace, as the model FILE was\n"
               "                   recorded with (a --model that contradicts it is refused)\n"
               "  --loop           start the replay again after its last row\n"
               "  --help           this text\n"
               "\n"
               "Fault modes:\n") +
           faults;
}

ParsedOptions parseSimOptions(const QStringList& args) {
    ParsedOptions parsed;
    SimOptions& out = parsed.options;
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption pace(QStringLiteral("pace"));
    const QCommandLineOption noPace(QStringLiteral("no-pace"));
    const QCommandLineOption loop(QStringLiteral("loop"));
    const QCommandLineOption model(QStringLiteral("model"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption id(QStringLiteral("id"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption fault(QStringLiteral("fault"), QString(), QStringLiteral("FAULT"));
    const QCommandLineOption com(QStringLiteral("com"), QString(), QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption replay(QStringLiteral("replay"), QString(), QStringLiteral("FILE"));
    parser.addOptions({help, pace, noPace, loop, model, id, fault, com, log, replay});
    parsed.error = parseLongOptions(parser, args);
    if (parsed.error.isEmpty()) {
        parsed.error = strayWordError(parser);
    }
    if (!parsed.error.isEmpty()) {
        return parsed;
    }
    out.help = parser.isSet(help);
    out.loop = parser.isSet(loop);
    // The later of --pace and --no-pace counts.
    const QStringList given = parser.optionNames();
    for (const QString& name : given) {
        if (name == pace.names().first()) {
            out.pace = true;
        } else if (name == noPace.names().first()) {
            out.pace = false;
        }
    }
    if (parser.values(model).size() + parser.values(id).size() > 1) {
        parsed.error = QStringLiteral("give --model or --id once");
        return parsed;
    }
    if (parser.isSet(model)) {
        const QString value = parser.value(model);
        const auto named = parseModelName(value.toStdString());
        if (!named) {
            parsed.error = QStringLiteral("unknown model %1").arg(value);
            return parsed;
        }
        const auto name = modelInfo(*named).identifier;
        out.identifier = QByteArray(name.data(), qsizetype(name.size()));
        out.identifierGiven = true;
    }
    if (parser.isSet(id)) {
        const QString value = parser.value(id);
        for (const QChar c : value) {
            if (c.unicode() > 0xFF) {
                parsed.error = QStringLiteral("--id text must be Latin-1");
                return parsed;
            }
        }
        out.identifier = value.toLatin1();
        out.identifierGiven = true;
    }
    for (const QString& value : parser.values(fault)) {
        parsed.error = parseFault(value, out);
        if (!parsed.error.isEmpty()) {
            return parsed;
        }
    }
    if (parser.isSet(com)) {
        const auto number = parseCount(parser.value(com));
        if (!number || *number < 1 || *number > 255) {
            parsed.error = QStringLiteral("--com takes 1 to 255");
            return parsed;
        }
        out.com = static_cast<int>(*number);
    }
    if (parser.isSet(replay)) {
        out.replayPath = parser.value(replay);
    }
    if (parser.isSet(log)) {
        out.logPath = parser.value(log);
    }
    if (out.loop && out.replayPath.isEmpty()) {
        parsed.error = QStringLiteral("--loop needs --replay");
    }
    return parsed;
}

QString takeRecordedModel(SimOptions& options, const QString& recordedModel) {
    if (recordedModel.isEmpty()) {
        return {};
    }
    const QByteArray recorded = recordedModel.toLatin1();
    if (!options.identifierGiven) {
        options.identifier = recorded;
        return {};
    }
    const auto named = modelInfo(modelForIdentifier(options.identifier)).identifier;
    if (modelForIdentifier(recorded) == modelForIdentifier(options.identifier)) {
        return {};
    }
    return QStringLiteral(
               "the recording was made with a %1, not a %2; leave --model out to "
               "replay it as it was recorded")
        .arg(recordedModel, QLatin1String(named.data(), qsizetype(named.size())));
}

void applyOptions(const SimOptions& options, ModuleEngine& engine) {
    engine.setIdentifier(options.identifier);
    for (const auto& fault : options.faults) {
        if (fault.command) {
            engine.setFault(*fault.command, fault.mode);
        } else {
            engine.setFault(fault.mode);
        }
    }
    for (const auto& tries : options.silentTries) {
        if (tries.command) {
            engine.setSilentTries(*tries.command, tries.tries);
        } else {
            engine.setSilentTries(tries.tries);
        }
    }
    if (options.stopAfter) {
        engine.stopAnsweringAfter(*options.stopAfter);
    }
    if (options.stopAfterCommands) {
        engine.stopAnsweringAfterCommands(*options.stopAfterCommands);
    }
}

}  // namespace quillmark::sim
