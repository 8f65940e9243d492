#include "network/http/RecordingIndex.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace quillmark {

namespace {

// Read in blocks this large, as the recording reader does.
constexpr qint64 kReadBlock = 1 << 20;
// Enough kinds of gaps for any file the logger writes; a hand-made one with more is sampled.
constexpr std::size_t kMaxGapKinds = 4096;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// timeToPixel's arithmetic, with the same far limits as the thinning of rows.
int columnOf(double seconds, const TimeWindow& window, int width) {
    constexpr double kFarColumn = 1 << 22;
    const double x = timeToPixel(seconds, window, 0.0, double(width));
    return static_cast<int>(std::floor(std::clamp(x, -kFarColumn, double(width) + kFarColumn)));
}

// The times and readings of the rows of a stretch of the file, read again for a narrow view.
class RowsReader final : public RecordingLineParser {
public:
    std::vector<double> times;
    std::array<std::vector<float>, kRecordedValues.size()> values;

private:
    void takeRow(const RecordingLine& line) override {
        times.push_back(line.seconds);
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i].push_back(line.values[i]);
        }
    }
    void dropRows() override {
        times.clear();
        for (auto& lane : values) {
            lane.clear();
        }
    }
};

}  // namespace

// Checks each line as every reader of recordings does, and hands the good rows on.
class RecordingIndex::Feeder final : public RecordingLineParser {
public:
    explicit Feeder(RecordingIndex& index) : index_(index) {}

private:
    void takeRow(const RecordingLine& line) override { index_.takeRow(line); }
    void dropRows() override {}

    RecordingIndex& index_;
};

RecordingIndex::RecordingIndex(QString path)
    : path_(std::move(path)), feeder_(std::make_unique<Feeder>(*this)) {
    low_.fill(kNoLow);
    high_.fill(kNoHigh);
}

RecordingIndex::~RecordingIndex() = default;

QString RecordingIndex::error() const {
    return feeder_->error();
}

std::size_t RecordingIndex::bytesHeld() const {
    return blocks_.size() * sizeof(IndexBlock) + std::size_t(markers_.capacity()) +
           gaps_.size() * 48;
}

RecordingIndex::Progress RecordingIndex::catchUp(qint64 budget) {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        return Progress::UpToDate;  // gone: the list no longer gives it
    }
    // A file made anew under the same name is another recording, even when it is longer.
    const QDateTime born = QFileInfo(file).birthTime();
    if (file.size() < indexed_ || (indexed_ > 0 && born.isValid() && born != born_)) {
        return Progress::Replaced;
    }
    born_ = born;
    if (!feeder_->ok() || file.size() == indexed_ || !file.seek(indexed_)) {
        return Progress::UpToDate;
    }
    QByteArray block(kReadBlock, Qt::Uninitialized);
    QByteArray carried;  // a line the block before ended in
    qint64 read = 0;
    while (read < budget && feeder_->ok()) {
        const qint64 length =
            file.read(block.data(), std::min<qint64>(block.size(), budget - read));
        if (length <= 0) {
            return Progress::UpToDate;  // what is carried waits for its line end
        }
        read += length;
        const char* at = block.constData();
        const char* const end = at + length;
        while (at < end && feeder_->ok()) {
            const char* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
            if (newline == nullptr) {
                carried.append(at, end - at);
                if (carried.size() > kMaxRecordingLine + 1) {
                    feeder_->addOverlongLine();
                }
                break;
            }
            lineOffset_ = indexed_;
            QByteArrayView line(at, newline - at);
            if (!carried.isEmpty()) {
                carried.append(line.data(), line.size());
                line = carried;
            }
            if (indexed_ == 0) {
                header_ = line.toByteArray();
            }
            feeder_->addLine(line);
            indexed_ += line.size() + 1;
            carried.clear();
            at = newline + 1;
        }
    }
    return file.size() > indexed_ + carried.size() ? Progress::More : Progress::UpToDate;
}

void RecordingIndex::takeRow(const RecordingLine& line) {
    if (rows_ > 0) {
        const double gap = line.seconds - lastTime_;
        const auto ms = std::llround(gap * 1000.0);
        if (gaps_.size() < kMaxGapKinds || gaps_.count(ms) > 0) {
            ++gaps_[ms];
        }
    }
    if (std::size_t(rows_) % kRowsPerIndexBlock == 0) {
        IndexBlock block;
        block.offset = lineOffset_;
        block.firstTime = line.seconds;
        for (IndexedLane& lane : block.lanes) {
            lane.first = kNaN;
            lane.last = kNaN;
        }
        blocks_.push_back(block);
    } else {
        IndexBlock& block = blocks_.back();
        block.longestGap = std::max(block.longestGap, float(line.seconds - block.lastTime));
    }
    IndexBlock& block = blocks_.back();
    block.lastTime = line.seconds;
    ++block.rows;
    for (std::size_t i = 0; i < kRecordedValues.size(); ++i) {
        const float value = line.values[i];
        IndexedLane& lane = block.lanes[i];
        if (std::isnan(value)) {
            block.failedLanes |= std::uint8_t(1U << i);
            if (block.rows == 1) {
                block.failedFirst |= std::uint8_t(1U << i);
            }
            continue;
        }
        if (std::isnan(lane.first)) {
            lane.first = value;
        }
        lane.last = value;
        lane.low = std::min(lane.low, value);
        lane.high = std::max(lane.high, value);
        low_[i] = std::min(low_[i], value);
        high_[i] = std::max(high_[i], value);
    }
    if (!line.markers.isEmpty()) {
        std::vector<RecordingMarker> markers;
        parseMarkerCell(line.markers, &markers);
        for (const RecordingMarker& marker : markers) {
            if (!markers_.isEmpty()) {
                markers_ += ',';
            }
            markers_ += markerJson(line.seconds, marker);
        }
    }
    lastTime_ = line.seconds;
    ++rows_;
}

double RecordingIndex::longestJoined() const {
    // The median gap, as the chart finds its sampling interval.
    long total = 0;
    for (const auto& [ms, count] : gaps_) {
        total += count;
    }
    long seen = 0;
    for (const auto& [ms, count] : gaps_) {
        seen += count;
        if (seen > total / 2) {
            return longestJoinedGap(ms > 0 ? double(ms) / 1000.0 : kDefaultSampling);
        }
    }
    return longestJoinedGap(kDefaultSampling);
}

std::optional<ChartView> RecordingIndex::view(std::optional<TimeWindow> window, int width) const {
    ChartView view;
    view.start = blocks_.empty() ? 0.0 : blocks_.front().firstTime;
    view.end = blocks_.empty() ? 0.0 : lastTime_;
    view.window = chartWindow(view.start, view.end, window);
    view.width = width;
    view.markers = markers_;
    for (std::size_t lane = 0; lane < view.lanes.size(); ++lane) {
        view.lanes[lane].low = low_[lane];
        view.lanes[lane].high = high_[lane];
    }
    if (blocks_.empty()) {
        return view;
    }
    // The blocks that draw the window, and one on either side so that the line runs on to the
    // edges.
    const auto after =
        std::partition_point(blocks_.begin(), blocks_.end(),
                             [&](const IndexBlock& b) { return b.lastTime < view.window.start; });
    const auto past = std::partition_point(
        after, blocks_.end(), [&](const IndexBlock& b) { return b.firstTime <= view.window.end; });
    const std::size_t first = std::size_t(std::max<std::ptrdiff_t>(0, after - blocks_.begin() - 1));
    const std::size_t last = std::min(blocks_.size() - 1, std::size_t(past - blocks_.begin()));
    long rows = 0;
    for (std::size_t b = first; b <= last; ++b) {
        rows += long(blocks_[b].rows);
    }
    const double longestGap = longestJoined();
    if (rows < long(width) * long(kRowsPerIndexBlock)) {
        if (!lanesFromRows(first, last, view.window, width, longestGap, view)) {
            return std::nullopt;
        }
        return view;
    }
    for (std::size_t lane = 0; lane < view.lanes.size(); ++lane) {
        laneFromBlocks(lane, first, last, view.window, width, longestGap, view.lanes[lane].extents);
    }
    return view;
}

void RecordingIndex::laneFromBlocks(std::size_t lane, std::size_t firstBlock, std::size_t lastBlock,
                                    const TimeWindow& window, int width, double longestGap,
                                    std::vector<ColumnExtent>& extents) const {
    // A block goes whole into the column of its middle: a pixel column holds a block or more
    // here, so a reading is drawn at most one column from where its row would put it. A failed
    // read or a long gap inside a block breaks the line after the block; one in its first row,
    // before it too.
    extents.reserve(std::size_t(width) + 2);
    const auto bit = std::uint8_t(1U << lane);
    bool gap = true;
    for (std::size_t b = firstBlock; b <= lastBlock; ++b) {
        const IndexBlock& block = blocks_[b];
        const IndexedLane& values = block.lanes[lane];
        if ((b > firstBlock && block.firstTime - blocks_[b - 1].lastTime > longestGap) ||
            (block.failedFirst & bit) != 0) {
            gap = true;
        }
        if (values.low > values.high) {
            gap = true;  // no reading in the whole block
            continue;
        }
        const int column = columnOf((block.firstTime + block.lastTime) / 2.0, window, width);
        if (!gap && !extents.empty() && extents.back().column == column) {
            ColumnExtent& extent = extents.back();
            extent.last = values.last;
            extent.low = std::min(extent.low, values.low);
            extent.high = std::max(extent.high, values.high);
        } else {
            extents.push_back({column, values.first, values.last, values.low, values.high,
                               !gap && !extents.empty()});
        }
        gap = (block.failedLanes & bit) != 0 || double(block.longestGap) > longestGap;
    }
}

bool RecordingIndex::lanesFromRows(std::size_t firstBlock, std::size_t lastBlock,
                                   const TimeWindow& window, int width, double longestGap,
                                   ChartView& view) const {
    const qint64 from = blocks_[firstBlock].offset;
    const qint64 to = lastBlock + 1 < blocks_.size() ? blocks_[lastBlock + 1].offset : indexed_;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from)) {
        return false;
    }
    const QByteArray text = file.read(to - from);
    if (text.size() != to - from) {
        return false;
    }
    RowsReader reader;
    reader.addLine(header_);
    addRecordingText(text, reader);
    if (!reader.ok()) {
        return false;  // the file changed under the index
    }
    for (std::size_t lane = 0; lane < view.lanes.size(); ++lane) {
        view.lanes[lane].extents = thinToColumns(reader.times, reader.values[lane], window, 0.0,
                                                 double(width), longestGap);
    }
    return true;
}

}  // namespace quillmark
