// A recording played back as the module: each tick's recorded answers, one row after another
// at the pace they were recorded.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace quillmark {
struct RecordingContents;
}

namespace quillmark::sim {

class ModuleEngine;

struct ReplayRow {
    std::chrono::microseconds at{0};                           // since the recording started
    std::vector<std::pair<std::uint8_t, QByteArray>> answers;  // whole answers, lead byte first
};

struct ReplayScript {
    std::vector<ReplayRow> rows;
    std::set<std::uint8_t> commands;  // every command that has an answer in some row
    QString model;                    // the model it was recorded with; empty when unknown
    QString error;                    // empty when the file was read

    // Read as the program reads a recording, so the replay takes exactly what File, Open
    // Recording takes; `fileName` names the model when the rows do not tell.
    static ReplayScript fromText(const QByteArray& text, const QString& fileName = {});
    static ReplayScript load(const QString& path);
};

// The status command starts every tick of the program; only it moves the replay on, so that
// one tick always reads one recorded row, and the recorded times keep the pace.
inline constexpr std::uint8_t kTickCommand = 0x2F;

class ReplayPlayer final {
public:
    ReplayPlayer(ReplayScript script, bool loop) : script_(std::move(script)), loop_(loop) {}

    // Called before the engine answers `command`; sets the engine up for the row in force.
    void beforeAnswer(std::uint8_t command, std::chrono::microseconds sinceStart,
                      ModuleEngine& engine);

    // The row in force; nullopt before the first tick.
    std::optional<std::size_t> row() const { return row_; }
    bool finished() const { return finished_; }

    // The row a tick arriving `elapsed` after the first one reads, after `current`.
    static std::size_t nextRow(const std::vector<ReplayRow>& rows, std::size_t current,
                               std::chrono::microseconds elapsed);

private:
    void apply(ModuleEngine& engine) const;

    ReplayScript script_;
    bool loop_ = false;
    std::optional<std::size_t> row_;
    std::chrono::microseconds startedAt_{0};  // of the first tick, on the module's clock
    bool finished_ = false;
};

}  // namespace quillmark::sim
