// A recording held column by column, small enough for a day at the fastest polling: the times
// as doubles, each value column as floats (NaN for an empty cell) and the status as an index
// into the few distinct statuses, and the few markers apart. The clock texts and answers are
// checked when read, not kept.
#pragma once

#include "realtime/recording/RecordingFormat.h"

#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quillmark {

struct RecordedStatus {
    std::optional<int> raw;
    QString text;
};

struct ColumnsMarker {
    std::size_t row = 0;  // index of the row that holds it
    RecordingMarker marker;
};

class RecordingColumns {
public:
    void clear();
    // Rows arrive in time order.
    void append(const RecordingRow& row);
    void append(const RecordingLine& line);

    std::size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }
    std::span<const double> times() const { return times_; }
    // The column of a quantity of kRecordedValues; NaN where the row has no reading.
    std::span<const float> values(Quantity quantity) const;
    const RecordedStatus& status(std::size_t row) const { return statuses_[statusIndex_[row]]; }
    std::size_t distinctStatuses() const { return statuses_.size(); }
    // The rows with a marker, in row order.
    std::span<const ColumnsMarker> markers() const { return markers_; }
    // What the columns have taken from the heap (texts of the statuses left out).
    std::size_t bytesHeld() const;

private:
    std::uint32_t statusIndexOf(std::optional<int> raw, QByteArrayView text);

    std::vector<double> times_;
    std::array<std::vector<float>, kRecordedValues.size()> values_;
    std::vector<std::uint32_t> statusIndex_;
    std::vector<RecordedStatus> statuses_;
    std::vector<ColumnsMarker> markers_;
    // A status's raw byte (or 256 for none) and its text's UTF-8 bytes, to its index.
    QHash<QByteArray, std::uint32_t> statusKeys_;
    QByteArray lastStatusKey_;
    std::uint32_t lastStatusIndex_ = 0;
};

struct RecordingColumnsContents {
    RecordingColumns columns;
    qsizetype errorLine = 0;  // 1-based; 0 when the file is a good recording
    QString error;            // what is wrong on that line

    bool ok() const { return error.isEmpty(); }
};

// The file as columns, filled while the file streams by, or what is wrong with it (the faults
// and their lines are those of readRecordingFile).
RecordingColumnsContents readRecordingColumns(const QString& path);

}  // namespace quillmark
