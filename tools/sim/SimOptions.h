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
    std::vector<FaultSetting> faults;
    std::vector<TriesSetting> silentTries;
    std::optional<std::chrono::milliseconds> stopAfter;
    std::optional<long> stopAfterCommands;
    bool pace = true;
    std::optional<int> com;
    QString logPath;  // empty: no log; "-": standard error
    bool help = false;
};

struct ParsedOptions {
    SimOptions options;
    QString error;  // empty when the command line was good
};

// args without the program name.
ParsedOptions parseSimOptions(const QStringList& args);
QString simHelpText();

// Puts the faults, tries and stop rules of the options into the engine.
void applyOptions(const SimOptions& options, ModuleEngine& engine);

}  // namespace quillmark::sim
