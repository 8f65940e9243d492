#include "realtime/recording/RecordingColumns.h"

#include "realtime/recording/RecordingReader.h"

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
    RecordingColumnsContents finish() {
        finishLines();
        contents_.errorLine = errorLine();
        contents_.error = error();
        return std::move(contents_);
    }

private:
    void takeRow(const RecordingLine& line) override { contents_.columns.append(line); }
    void dropRows() override { contents_.columns.clear(); }

    RecordingColumnsContents contents_;
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

void RecordingColumns::append(const RecordingLine& line) {
    if (line.markerNumber > 0) {
        markers_.push_back(
            {times_.size(), {line.markerNumber, QString::fromUtf8(line.markerText)}});
    }
    times_.push_back(line.seconds);
    for (std::size_t i = 0; i < values_.size(); ++i) {
        values_[i].push_back(line.values[i]);
    }
    statusIndex_.push_back(statusIndexOf(line.statusRaw, line.status));
}

void RecordingColumns::append(const RecordingRow& row) {
    if (row.marker) {
        markers_.push_back({times_.size(), *row.marker});
    }
    times_.push_back(row.seconds);
    for (std::size_t i = 0; i < values_.size(); ++i) {
        values_[i].push_back(row.values[i].value_or(std::numeric_limits<float>::quiet_NaN()));
    }
    statusIndex_.push_back(statusIndexOf(row.statusRaw, row.status.toUtf8()));
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
        statuses_.capacity() * sizeof(RecordedStatus) + markers_.capacity() * sizeof(ColumnsMarker);
    for (const auto& column : values_) {
        bytes += column.capacity() * sizeof(float);
    }
    return bytes;
}

RecordingColumnsContents readRecordingColumns(const QString& path) {
    ColumnsParser parser;
    const QString problem = readRecordingLines(path, parser);
    if (!problem.isEmpty()) {
        RecordingColumnsContents contents;
        contents.error = problem;
        return contents;
    }
    return parser.finish();
}

}  // namespace quillmark
