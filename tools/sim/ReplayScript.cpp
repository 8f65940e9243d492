#include "sim/ReplayScript.h"

#include "sim/ModuleEngine.h"

#include "recording/RecordingFiles.h"
#include "recording/RecordingReader.h"

#include <algorithm>
#include <cmath>

namespace quillmark::sim {

namespace {

ReplayScript fromContents(const RecordingContents& contents, const QString& fileName) {
    ReplayScript script;
    if (!contents.ok()) {
        script.error = contents.errorLine > 0
                           ? QStringLiteral("line %1: %2").arg(contents.errorLine).arg(contents.error)
                           : contents.error;
        return script;
    }
    script.model = recordedModel(contents.rows, fileName);
    script.rows.reserve(contents.rows.size());
    for (const RecordingRow& recorded : contents.rows) {
        ReplayRow row;
        // The reader holds times to ten years, well inside the microseconds' range.
        row.at = std::chrono::microseconds(std::llround(recorded.seconds * 1e6));
        for (const RecordedAnswer& answer : recorded.answers) {
            row.answers.emplace_back(answer.command, answer.bytes);
            script.commands.insert(answer.command);
        }
        script.rows.push_back(std::move(row));
    }
    return script;
}

}  // namespace

ReplayScript ReplayScript::fromText(const QByteArray& text, const QString& fileName) {
    return fromContents(parseRecording(text), fileName);
}

ReplayScript ReplayScript::load(const QString& path) {
    return fromContents(readRecordingFile(path), path);
}

std::size_t ReplayPlayer::nextRow(const std::vector<ReplayRow>& rows, std::size_t current,
                                  std::chrono::microseconds elapsed) {
    // A tick may come up to half a polling period early and still read the next row; a program
    // that has fallen more than a row behind the recorded pace catches up.
    constexpr std::chrono::microseconds kEarly{250'000};
    const auto origin = rows.front().at;
    std::size_t next = current + 1;
    if (next >= rows.size() || rows[next].at - origin > elapsed + kEarly) {
        return current;
    }
    while (next + 2 < rows.size() && rows[next + 2].at - origin <= elapsed) {
        ++next;
    }
    return next;
}

void ReplayPlayer::beforeAnswer(std::uint8_t command, std::chrono::microseconds sinceStart,
                                ModuleEngine& engine) {
    if (command != kTickCommand || script_.rows.empty()) {
        return;
    }
    if (!row_) {
        row_ = 0;
        startedAt_ = sinceStart;
    } else {
        const std::size_t next = nextRow(script_.rows, *row_, sinceStart - startedAt_);
        if (next == *row_ && *row_ + 1 == script_.rows.size()) {
            if (loop_) {
                row_ = 0;
                startedAt_ = sinceStart;
            } else {
                finished_ = true;
            }
        } else {
            row_ = next;
        }
    }
    apply(engine);
}

void ReplayPlayer::apply(ModuleEngine& engine) const {
    const ReplayRow& row = script_.rows[*row_];
    for (const std::uint8_t command : script_.commands) {
        const auto found = std::find_if(row.answers.begin(), row.answers.end(),
                                        [command](const auto& a) { return a.first == command; });
        if (found == row.answers.end()) {
            // The read failed in the recording; it fails here too.
            engine.setFault(command, FaultMode::Silent);
        } else {
            engine.setFault(command, FaultMode::None);
            engine.setFixedAnswer(command, found->second);
        }
    }
}

}  // namespace quillmark::sim
