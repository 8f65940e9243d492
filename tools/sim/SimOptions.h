// The simulator program's command line.
#pragma once

#include "sim/FaultMode.h"
#include "sim/ModuleEngine.h"

#include "link/ModelNames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillmark::sim {

struct FaultSetting {
    FaultMode mode = FaultMode::None;
    std::optional<std::uint8_t> command;  // every command when empty
};

struct TriesSetting {
    int tries = 0;
    std::optional<std::uint8_t> command;
};

struct SimOptions {
    QByteArray identifier = QByteArray(kModelCorvaneIIVR);
    bool identifierGiven = false;  // --model or --id said which
    std::vector<FaultSetting> faults;
    std::vector<TriesSetting> silentTries;
    std::optional<std::chrono::milliseconds> stopAfter;
    std::optional<long> stopAfterCommands;
    bool pace = true;
    std::optional<int> com;
    QString logPath;     // empty: no log; "-": standard error
    QString replayPath;  // a recording whose answers the module gives, row by row
    bool loop = false;   // start the replay again after its last row
    bool help = false;
};

struct ParsedOptions {
    SimOptions options;
    QString error;  // empty when the command line was good
};

// args without the program name.
ParsedOptions parseSimOptions(const QStringList& args);
QString simHelpText();

// A replay answers as the model its recording was made with: the options take that model
// unless --model or --id named one, and a named model the recording contradicts is refused
// (the text says why; empty when the two agree).
QString takeRecordedModel(SimOptions& options, const QString& recordedModel);

// Puts the faults, tries and stop rules of the options into the engine.
void applyOptions(const SimOptions& options, ModuleEngine& engine);

}  // namespace quillmark::sim
