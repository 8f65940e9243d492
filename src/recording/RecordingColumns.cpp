#include "recording/RecordingColumns.h"

#include "recording/AnswersText.h"
#include "recording/RecordingFiles.h"
#include "recording/RecordingReader.h"
#include "recording/Timestamps.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillmark {

namespace {

constexpr int kNoRawStatus = 256;

QByteArray statusKey(std::optional<int> raw, QByteArrayView text) {
    const int rawKey = raw.value_or(kNoRawStatus);
    QByteArray key;
    key.reserve(text.size() + 2);
    key += char(rawKey >> 8);
    key += char(rawKey & 0xFF);
    key += text;
    return key;
}

// Fills the columns while the lines stream by, without a vector of whole rows in between.
class ColumnsParser final : public RecordingLineParser {
public:
    explicit ColumnsParser(qint64 fileBytes) : fileBytes_(fileBytes) {}

    RecordingColumnsContents finish(const QString& path) {
        finishLines();
        contents_.errorLine = errorLine();
        contents_.error = error();
        contents_.model = clues_.model(path);
        return std::move(contents_);
    }

private:
    void takeRow(const RecordingLine& line) override {
        RecordingColumns& columns = contents_.columns;
        if (columns.size() < kRowsMeasured) {
            measuredBytes_ += line.bytes + 1;
        } else if (columns.size() == kRowsMeasured) {
            // Room for the rows the file's size promises, so the columns are not copied as
            // they grow; rows mostly differ in length by a few digits.
            // Past two days at the fastest polling they grow as they come.
            constexpr double kMostReserved = 2 * 86400 * 40;
            const double rowBytes = double(measuredBytes_) / kRowsMeasured;
            columns.reserve(
                std::size_t(std::min(kMostReserved, double(fileBytes_) / rowBytes * 1.05)));
        }
        columns.append(line);
        if (clues_.wantsSpeed()) {
            const auto speedIndex = std::size_t(recordedValueIndex(Quantity::EngineSpeed));
            const float rpm = line.values[speedIndex];
            clues_.takeSpeed(std::isnan(rpm) ? std::nullopt : std::optional(rpm),
                             answerInText(line.answers, kSpeedCommand));
        }
        if (clues_.wantsRetard()) {
            clues_.takeRetard(hasAnswerInText(line.answers, kRetardCommand));
        }
    }
    void dropRows() override {
        contents_.columns.clear();
        clues_ = {};
    }

    const std::uint8_t kSpeedCommand = readCommand(Quantity::EngineSpeed).command;
    const std::uint8_t kRetardCommand = readCommand(Quantity::Retard).command;
    static constexpr std::size_t kRowsMeasured = 64;
    const qint64 fileBytes_;
    qint64 measuredBytes_ = 0;
    RecordingColumnsContents contents_;
    RecordedModelClues clues_;
};

}  // namespace

void RecordingColumns::clear() {
    *this = RecordingColumns();
}

std::uint32_t RecordingColumns::statusIndexOf(std::optional<int> raw, QByteArrayView text) {
    // Rows mostly repeat the status before: compared in place, with no key built.
    if (!statuses_.empty() && lastStatusKey_.size() == text.size() + 2 &&
        QByteArrayView(lastStatusKey_).sliced(2) == text &&
        statuses_[lastStatusIndex_].raw == raw) {
        return lastStatusIndex_;
    }
    lastStatusKey_ = statusKey(raw, text);
    const auto found = statusKeys_.constFind(lastStatusKey_);
    if (found != statusKeys_.cend()) {
        lastStatusIndex_ = found.value();
    } else {
        lastStatusIndex_ = static_cast<std::uint32_t>(statuses_.size());
        statuses_.push_back({raw, QString::fromUtf8(text)});
        statusKeys_.insert(lastStatusKey_, lastStatusIndex_);
    }
    return lastStatusIndex_;
}

void RecordingColumns::reserve(std::size_t rows) {
    times_.reserve(rows);
    for (auto& column : values_) {
        column.reserve(rows);
    }
    statusIndex_.reserve(rows);
    clocks_.reserve(rows);
}

void RecordingColumns::appendStatus(std::optional<int> raw, QByteArrayView text) {
    const std::uint32_t index = statusIndexOf(raw, text);
    if (statusIndex_.empty() || statusIndex_.back() != index) {
        statusChanges_.push_back(statusIndex_.size());
    }
    statusIndex_.push_back(index);
}

void RecordingColumns::appendClock(QByteArrayView text, std::optional<std::int64_t> packed) {
    if (packed) {
        clocks_.push_back(*packed);
    } else {
        clocks_.push_back(-1 - static_cast<std::int64_t>(oddClocks_.size()));
        oddClocks_.push_back(QString::fromUtf8(text));
    }
}

void RecordingColumns::append(const RecordingLine& line) {
    if (line.markerNumber > 0) {
        markers_.push_back(
            {times_.size(), {line.markerNumber, QString::fromUtf8(line.markerText)}});
    }
    for (std::size_t i = 0; i < values_.size(); ++i) {
        values_[i].push_back(line.values[i]);
    }
    appendStatus(line.statusRaw, line.status);
    appendClock(line.clock, line.packedClock);
    times_.push_back(line.seconds);
}

void RecordingColumns::append(const RecordingRow& row) {
    if (row.marker) {
        markers_.push_back({times_.size(), *row.marker});
    }
    for (std::size_t i = 0; i < values_.size(); ++i) {
        values_[i].push_back(row.values[i].value_or(std::numeric_limits<float>::quiet_NaN()));
    }
    appendStatus(row.statusRaw, row.status.toUtf8());
    const QByteArray clock = row.clock.toUtf8();
    appendClock(clock, packTimestamp(clock));
    times_.push_back(row.seconds);
}

std::size_t RecordingColumns::dropBefore(double seconds) {
    const auto dropped = static_cast<std::size_t>(
        std::lower_bound(times_.begin(), times_.end(), seconds) - times_.begin());
    if (dropped == 0) {
        return 0;
    }
    auto dropFront = [dropped](auto& column) {
        column.erase(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(dropped));
    };
    dropFront(times_);
    for (auto& column : values_) {
        dropFront(column);
    }
    dropFront(statusIndex_);
    dropFront(clocks_);
    std::erase_if(markers_, [dropped](const ColumnsMarker& m) { return m.row < dropped; });
    for (ColumnsMarker& marker : markers_) {
        marker.row -= dropped;
    }
    // The first row left starts a run of its status, whether or not it started one before.
    std::erase_if(statusChanges_, [dropped](std::size_t row) { return row <= dropped; });
    for (std::size_t& row : statusChanges_) {
        row -= dropped;
    }
    if (!times_.empty()) {
        statusChanges_.insert(statusChanges_.begin(), 0);
    }
    return dropped;
}

void RecordingColumns::shiftTimes(double seconds) {
    for (double& time : times_) {
        time += seconds;
    }
}

QString RecordingColumns::clock(std::size_t row) const {
    const std::int64_t packed = clocks_[row];
    return packed >= 0 ? unpackTimestamp(packed)
                       : oddClocks_[static_cast<std::size_t>(-1 - packed)];
}

std::optional<std::size_t> RecordingColumns::nextMarker(std::optional<std::size_t> row) const {
    const auto found = std::find_if(markers_.begin(), markers_.end(),
                                    [&](const ColumnsMarker& m) { return !row || m.row > *row; });
    return found == markers_.end() ? std::nullopt : std::optional(found->row);
}

std::optional<std::size_t> RecordingColumns::previousMarker(std::optional<std::size_t> row) const {
    const auto found = std::find_if(markers_.rbegin(), markers_.rend(),
                                    [&](const ColumnsMarker& m) { return !row || m.row < *row; });
    return found == markers_.rend() ? std::nullopt : std::optional(found->row);
}

std::span<const float> RecordingColumns::values(Quantity quantity) const {
    const int index = recordedValueIndex(quantity);
    if (index < 0) {
        return {};
    }
    return values_[static_cast<std::size_t>(index)];
}

std::size_t RecordingColumns::bytesHeld() const {
    std::size_t bytes =
        times_.capacity() * sizeof(double) + statusIndex_.capacity() * sizeof(std::uint32_t) +
        statuses_.capacity() * sizeof(RecordedStatus) +
        markers_.capacity() * sizeof(ColumnsMarker) +
        statusChanges_.capacity() * sizeof(std::size_t) +
        clocks_.capacity() * sizeof(std::int64_t) + oddClocks_.capacity() * sizeof(QString);
    for (const auto& column : values_) {
        bytes += column.capacity() * sizeof(float);
    }
    return bytes;
}

RecordingColumns columnsOf(std::span<const RecordingRow> rows) {
    RecordingColumns columns;
    for (const RecordingRow& row : rows) {
        columns.append(row);
    }
    return columns;
}

RecordingColumnsContents readRecordingColumns(const QString& path) {
    ColumnsParser parser(QFileInfo(path).size());
    const QString problem = readRecordingLines(path, parser);
    if (!problem.isEmpty()) {
        RecordingColumnsContents contents;
        contents.error = problem;
        return contents;
    }
    return parser.finish(path);
}

}  // namespace quillmark
