// Recordings for the chart's benchmark and pictures: the simulator's drive cycle read through
// the program's own conversions, one row every half second, with the odd failed read, and a
// stretch without rows where the panel was closed.
#pragma once

#include "recording/RecordingFormat.h"
#include "recording/RecordingRow.h"
#include "sim/DataEncoder.h"
#include "sim/EngineProfile.h"
#include "widgets/chart/ChartWindow.h"

#include <QDateTime>
#include <QFile>

#include <cmath>
#include <vector>

namespace quillmark::scenes {

inline QDateTime sceneStart() {
    return {QDate(2026, 12, 7), QTime(9, 30, 0)};
}

inline std::vector<RecordingRow> driveCycleRows(int count) {
    using namespace std::chrono;
    const QString model = QStringLiteral("Corvane II VR");
    const QDateTime start = sceneStart();
    std::vector<RecordingRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const microseconds at(static_cast<long long>(i) * 500'000);
        const sim::EngineReading reading = sim::EngineProfile::at(at);
        RecordingRow row;
        row.seconds = i * 0.5;
        row.clock = clockText(start.addMSecs(i * 500LL));
        row.statusRaw = sim::DataEncoder::statusByte(reading);
        row.status = statusOnOneLine(*row.statusRaw);
        row.answers.push_back({0x2F, QByteArray(1, '\x5A') + char(*row.statusRaw)});
        for (const Quantity quantity : kRecordedValues) {
            const std::uint8_t command = readCommand(quantity).command;
            // Every 97th tick one read times out and is ignored: a gap, never a zero.
            if ((i + static_cast<int>(command)) % 97 == 0) {
                continue;
            }
            const auto data = sim::DataEncoder::encode(command, reading, sim::Model::CorvaneIIVR);
            const std::uint8_t low = data.empty() ? 0 : data[0];
            const std::uint8_t high = data.size() > 1 ? data[1] : 0;
            row.setValue(quantity, convertReading(quantity, low, high, model));
            QByteArray answer(1, '\x5A');
            for (const auto b : data) {
                answer += char(b);
            }
            row.answers.push_back({command, answer});
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// No rows for `seconds` before row `from`: every row from there on comes that much later.
inline void closePanelBefore(std::vector<RecordingRow>& rows, std::size_t from, double seconds) {
    for (std::size_t i = from; i < rows.size(); ++i) {
        rows[i].seconds += seconds;
        rows[i].clock = clockText(sceneStart().addMSecs(std::llround(rows[i].seconds * 1000.0)));
    }
}

inline bool writeRecording(const QString& path, const std::vector<RecordingRow>& rows) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QByteArray text = recordingHeaderLine();
    for (const auto& row : rows) {
        text += recordingRowLine(row);
    }
    return file.write(text) == text.size();
}

}  // namespace quillmark::scenes
