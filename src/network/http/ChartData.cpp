#include "network/http/ChartData.h"

#include "engine/Quantities.h"

#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quillmark {

namespace {

void appendNumber(QByteArray& out, double value, int decimals) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char digits[48];
    const auto end = std::to_chars(digits, digits + sizeof digits, value,
                                   std::chars_format::fixed, decimals);
    QByteArrayView text(digits, end.ptr - digits);
    // "12.50" and "3.000" say no more than "12.5" and "3".
    if (text.contains('.')) {
        while (text.endsWith('0')) {
            text.chop(1);
        }
        if (text.endsWith('.')) {
            text.chop(1);
        }
    }
    if (text == "-0") {
        text = "0";
    }
    out += text;
}

void appendString(QByteArray& out, const QString& text) {
    out += '"';
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += ' ';
        } else {
            out += c;
        }
    }
    out += '"';
}

// The lane's lowest and highest reading over the whole recording.
std::pair<float, float> laneRange(const LaneBlocks& blocks) {
    float low = kNoLow;
    float high = kNoHigh;
    for (const SampleBlock& block : blocks.longBlocks.empty() ? blocks.blocks : blocks.longBlocks) {
        low = std::min(low, block.low);
        high = std::max(high, block.high);
    }
    return {low, high};
}

}  // namespace

std::shared_ptr<ChartRecording> openChartRecording(const QString& path) {
    auto opened = std::make_shared<ChartRecording>();
    const QFileInfo info(path);
    opened->path = path;
    opened->size = info.size();
    opened->modified = info.lastModified();
    RecordingColumnsContents contents = readRecordingColumns(path);
    if (!contents.ok()) {
        opened->error = contents.error;
        return opened;
    }
    opened->columns = std::move(contents.columns);
    opened->longestGap = longestJoinedGap(samplingInterval(opened->columns.times()));
    opened->blocks = summariseLanes(opened->columns, opened->longestGap);
    return opened;
}

bool isCurrent(const ChartRecording& opened, const QString& path) {
    const QFileInfo info(path);
    return opened.path == path && opened.size == info.size() &&
           opened.modified == info.lastModified();
}

QByteArray chartJson(const ChartRecording& recording, std::optional<TimeWindow> window,
                     int width) {
    const RecordingColumns& columns = recording.columns;
    const auto times = columns.times();
    const double start = times.empty() ? 0.0 : times.front();
    const double end = times.empty() ? 0.0 : times.back();
    TimeWindow view = window.value_or(TimeWindow{start, std::max(end, start + 1.0)});
    if (!(view.end > view.start)) {
        view.end = view.start + 1.0;
    }
    width = std::clamp(width, 1, kMaxChartWidth);
    QByteArray out;
    out.reserve(qsizetype(width) * 8 * 12);
    out += "{\"start\":";
    appendNumber(out, start, 3);
    out += ",\"end\":";
    appendNumber(out, end, 3);
    out += ",\"from\":";
    appendNumber(out, view.start, 3);
    out += ",\"to\":";
    appendNumber(out, view.end, 3);
    out += ",\"width\":" + QByteArray::number(width) + ",\"lanes\":[";
    for (std::size_t lane = 0; lane < kRecordedValues.size(); ++lane) {
        const QuantityFacts& key = kQuantities[lane];
        const int decimals = key.fineDecimals;
        const auto [low, high] = laneRange(recording.blocks[lane]);
        if (lane > 0) {
            out += ',';
        }
        out += "{\"key\":\"";
        out += key.key;
        out += "\",\"name\":\"";
        out += key.name;
        out += "\",\"unit\":\"";
        out += key.unit;
        out += "\",\"low\":";
        appendNumber(out, low, decimals);
        out += ",\"high\":";
        appendNumber(out, high, decimals);
        const std::vector<ColumnExtent> extents =
            thinToColumnsByBlocks(times, columns.lane(lane), recording.blocks[lane], view, 0.0,
                                  double(width), recording.longestGap);
        // One entry a column; extents that share a column (a break inside it) are merged.
        std::vector<std::optional<ColumnExtent>> byColumn(static_cast<std::size_t>(width));
        std::vector<int> breaks;
        for (const ColumnExtent& extent : extents) {
            if (extent.column < 0 || extent.column >= width) {
                continue;
            }
            auto& slot = byColumn[std::size_t(extent.column)];
            if (!slot) {
                slot = extent;
                if (!extent.joinsPrevious) {
                    breaks.push_back(extent.column);
                }
                continue;
            }
            slot->low = std::min(slot->low, extent.low);
            slot->high = std::max(slot->high, extent.high);
            slot->last = extent.last;
        }
        out += ",\"columns\":[";
        for (int column = 0; column < width; ++column) {
            if (column > 0) {
                out += ',';
            }
            const auto& slot = byColumn[std::size_t(column)];
            if (!slot) {
                out += "null";
            } else if (slot->low == slot->high) {
                appendNumber(out, slot->low, decimals);
            } else {
                out += '[';
                appendNumber(out, slot->low, decimals);
                out += ',';
                appendNumber(out, slot->high, decimals);
                out += ',';
                appendNumber(out, slot->first, decimals);
                out += ',';
                appendNumber(out, slot->last, decimals);
                out += ']';
            }
        }
        out += "],\"breaks\":[";
        for (std::size_t i = 0; i < breaks.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            out += QByteArray::number(breaks[i]);
        }
        out += "]}";
    }
    out += "],\"markers\":[";
    bool first = true;
    for (const ColumnsMarker& marker : columns.markers()) {
        if (!first) {
            out += ',';
        }
        first = false;
        out += '[';
        appendNumber(out, times[marker.row], 3);
        out += ',';
        // The label as the file writes it: "3" for the user's, "A1" for an alarm's.
        appendString(out, (marker.marker.kind == MarkerKind::Alarm ? QStringLiteral("A%1")
                                                                    : QStringLiteral("%1"))
                              .arg(marker.marker.number));
        out += ',';
        appendString(out, marker.marker.text);
        out += ']';
    }
    out += "]}";
    return out;
}

}  // namespace quillmark
