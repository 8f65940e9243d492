// A recording summed up for its chart in a few bytes a row: per block of rows its byte offset in
// the file, its first and last time, the longest time between two of its rows, and per value
// its lowest, highest, first and last reading. A view wide enough that a pixel column holds a
// block or more is drawn from the blocks alone; a narrower one reads just its rows from their
// offsets. The index follows a file that grows: it takes what was added since it last looked.
#pragma once

#include "network/http/ChartData.h"
#include "recording/RecordingFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace quillmark {

// Rows a block sums up: a day at 40 samples a second takes about 9 MB, and the narrowest view
// the blocks cannot draw reads at most this many rows a pixel column.
inline constexpr std::size_t kRowsPerIndexBlock = 64;

struct IndexedLane {
    // Of the rows whose reading did not fail; kNoLow, kNoHigh and NaN when none did.
    float low = kNoLow;
    float high = kNoHigh;
    float first = 0.0f;
    float last = 0.0f;
};

struct IndexBlock {
    qint64 offset = 0;  // of the line of the block's first row
    double firstTime = 0.0;
    double lastTime = 0.0;
    float longestGap = 0.0f;  // between two of its rows
    std::uint32_t rows = 0;
    std::uint8_t failedLanes = 0;  // a bit for each lane with a failed read in the block
    std::uint8_t failedFirst = 0;  // a bit for each lane whose read of the first row failed
    std::array<IndexedLane, kRecordedValues.size()> lanes;
};

class RecordingIndex {
public:
    explicit RecordingIndex(QString path);
    ~RecordingIndex();
    RecordingIndex(const RecordingIndex&) = delete;
    RecordingIndex& operator=(const RecordingIndex&) = delete;

    enum class Progress { UpToDate, More, Replaced };
    // Takes the whole lines the file gained since, at most about `budget` bytes of them.
    // Replaced when the file is shorter than what was taken, or was made anew: it is another
    // file now.
    Progress catchUp(qint64 budget);
    // A fault of the file's text that stops it being a recording; empty while it is one.
    QString error() const;
    long rows() const { return rows_; }
    // Bytes of whole lines taken.
    qint64 indexed() const { return indexed_; }
    std::size_t bytesHeld() const;

    // The view of `window` (the whole recording without one) in `width` pixel columns; from
    // the blocks, or from the rows read again when the view is narrower than a block a
    // column. Empty when the rows can no longer be read as they were.
    std::optional<ChartView> view(std::optional<TimeWindow> window, int width) const;

private:
    class Feeder;
    friend class Feeder;
    void takeRow(const RecordingLine& line);
    double longestJoined() const;
    void laneFromBlocks(std::size_t lane, std::size_t firstBlock, std::size_t lastBlock,
                        const TimeWindow& window, int width, double longestGap,
                        std::vector<ColumnExtent>& extents) const;
    bool lanesFromRows(std::size_t firstBlock, std::size_t lastBlock, const TimeWindow& window,
                       int width, double longestGap, ChartView& view) const;

    QString path_;
    QDateTime born_;  // the file's, where the file system keeps it
    std::unique_ptr<Feeder> feeder_;
    QByteArray header_;
    qint64 indexed_ = 0;
    qint64 lineOffset_ = 0;  // of the line being taken
    long rows_ = 0;
    // In pieces rather than one array: it grows with the file without doubling its room.
    std::deque<IndexBlock> blocks_;
    std::array<float, kRecordedValues.size()> low_;
    std::array<float, kRecordedValues.size()> high_;
    // Milliseconds between two rows, counted, for the sampling interval; a file with more
    // kinds of gaps than kMaxGapKinds counts only the first ones.
    std::map<std::int64_t, long> gaps_;
    double lastTime_ = 0.0;
    QByteArray markers_;
};

}  // namespace quillmark
