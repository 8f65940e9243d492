#include "network/http/ChartData.h"

#include "engine/Quantities.h"

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
    const auto end =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
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

}  // namespace

TimeWindow chartWindow(double start, double end, std::optional<TimeWindow> asked) {
    TimeWindow view = asked.value_or(TimeWindow{start, std::max(end, start + 1.0)});
    if (!(view.end > view.start)) {
        view.end = view.start + 1.0;
    }
    return view;
}

QByteArray markerJson(double seconds, const RecordingMarker& marker) {
    QByteArray out = "[";
    appendNumber(out, seconds, 3);
    out += ',';
    // The label as the file writes it: "3" for the user's, "A1" for an alarm's.
    appendString(out,
                 (marker.kind == MarkerKind::Alarm ? QStringLiteral("A%1") : QStringLiteral("%1"))
                     .arg(marker.number));
    out += ',';
    appendString(out, marker.text);
    out += ']';
    return out;
}

QByteArray chartJson(const ChartView& view) {
    const int width = view.width;
    QByteArray out;
    out.reserve(qsizetype(width) * 8 * 12);
    out += "{\"start\":";
    appendNumber(out, view.start, 3);
    out += ",\"end\":";
    appendNumber(out, view.end, 3);
    out += ",\"from\":";
    appendNumber(out, view.window.start, 3);
    out += ",\"to\":";
    appendNumber(out, view.window.end, 3);
    out += ",\"width\":" + QByteArray::number(width) + ",\"lanes\":[";
    for (std::size_t lane = 0; lane < kRecordedValues.size(); ++lane) {
        const QuantityFacts& key = kQuantities[lane];
        const int decimals = key.fineDecimals;
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
        appendNumber(out, view.lanes[lane].low, decimals);
        out += ",\"high\":";
        appendNumber(out, view.lanes[lane].high, decimals);
        // One entry a column; extents that share a column (a break inside it) are merged.
        std::vector<std::optional<ColumnExtent>> byColumn(static_cast<std::size_t>(width));
        std::vector<int> breaks;
        for (const ColumnExtent& extent : view.lanes[lane].extents) {
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
    out += view.markers;
    out += "]}";
    return out;
}

}  // namespace quillmark
