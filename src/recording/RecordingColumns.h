// A recording held column by column, small enough for a day at the fastest polling: the times
// as doubles, each value column as floats (NaN for an empty cell), the status as an index into
// the few distinct statuses, the clock as a number that gives its text back, and the few
// markers apart. The answers are checked when read, not kept. The chart, playback and the
// time-at-cell table all work from it.
#pragma once

#include "platform/LargeAllocation.h"
#include "recording/RecordingFormat.h"

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
    // Room for `rows` rows in every column.
    void reserve(std::size_t rows);
    // Rows arrive in time order.
    void append(const RecordingRow& row);
    void append(const RecordingLine& line);
    // Drops every row before `seconds`; returns how many, by which every later row's index
    // moved down.
    std::size_t dropBefore(double seconds);
    // Moves every row by `seconds` on the time axis.
    void shiftTimes(double seconds);

    std::size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }
    std::span<const double> times() const { return times_; }
    // The column of a quantity of kRecordedValues; NaN where the row has no reading.
    std::span<const float> values(Quantity quantity) const;
    std::span<const float> lane(std::size_t index) const { return values_[index]; }
    const RecordedStatus& status(std::size_t row) const { return statuses_[statusIndex_[row]]; }
    // The rows whose status differs from the row before, the first row among them.
    std::span<const std::size_t> statusChanges() const { return statusChanges_; }
    // The row's Clock text, as the file has it.
    QString clock(std::size_t row) const;
    // The rows with a marker, in row order.
    std::span<const ColumnsMarker> markers() const { return markers_; }
    // The row of the first marker after `row` (or before it); with no row, the first (or last).
    std::optional<std::size_t> nextMarker(std::optional<std::size_t> row) const;
    std::optional<std::size_t> previousMarker(std::optional<std::size_t> row) const;
    // What the columns have taken from the heap (texts of the statuses left out).
    std::size_t bytesHeld() const;

private:
    std::uint32_t statusIndexOf(std::optional<int> raw, QByteArrayView text);
    void appendStatus(std::optional<int> raw, QByteArrayView text);
    void appendClock(QByteArrayView text, std::optional<std::int64_t> packed);

    template <typename T>
    using Column = std::vector<T, LargeAllocator<T>>;

    Column<double> times_;
    std::array<Column<float>, kRecordedValues.size()> values_;
    Column<std::uint32_t> statusIndex_;
    std::vector<RecordedStatus> statuses_;
    std::vector<std::size_t> statusChanges_;
    // packTimestamp's number; where a hand edit left another form, -1 - its index in oddClocks_.
    Column<std::int64_t> clocks_;
    std::vector<QString> oddClocks_;
    std::vector<ColumnsMarker> markers_;
    // A status's raw byte (or 256 for none) and its text's UTF-8 bytes, to its index.
    QHash<QByteArray, std::uint32_t> statusKeys_;
    QByteArray lastStatusKey_;
    std::uint32_t lastStatusIndex_ = 0;
};

// Rows already held whole (a scene, a test), as columns.
RecordingColumns columnsOf(std::span<const RecordingRow> rows);

struct RecordingColumnsContents {
    RecordingColumns columns;
    QString model;            // as recordedModel finds it
    qsizetype errorLine = 0;  // 1-based; 0 when the file is a good recording
    QString error;            // what is wrong on that line

    bool ok() const { return error.isEmpty(); }
};

// The file as columns, filled while the file streams by, and the model it was recorded with;
// or what is wrong with it (the faults and their lines are those of readRecordingFile).
RecordingColumnsContents readRecordingColumns(const QString& path);

}  // namespace quillmark
