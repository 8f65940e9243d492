#include "widgets/chart/ChartWidget.h"

#include "analysis/MarkerFlags.h"
#include "engine/ModelTraits.h"
#include "recording/RecordingFormat.h"
#include "widgets/gauges/GaugeTables.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <system_error>
#include <thread>

namespace quillmark {

namespace {

struct LaneSpec {
    const char* name = "";
    const char* unit = "";
    // The gauge the lane follows: its scale (widened only when a value lies outside) and red
    // bands. The engine speed has no bar gauge: its scale is the fastest model's whole range,
    // and its red band follows the model.
    const BarGaugeDesign* gauge = nullptr;
    int decimals = 0;

    double low() const { return gauge != nullptr ? gauge->segments.front().low : 0.0; }
    double high() const {
        if (gauge != nullptr) {
            return gauge->segments.back().high;
        }
        double fastest = 0.0;
        for (const ModelTraits& traits : kModelTraits) {
            fastest = std::max(fastest, 255 * traits.rpmPerCount);
        }
        return fastest;
    }
};

// A lane per quantity, in the order of kRecordedValues.
constexpr std::array<LaneSpec, kQuantities.size()> laneSpecs() {
    std::array<LaneSpec, kQuantities.size()> lanes{};
    std::size_t at = 0;
    for (const QuantityFacts& facts : kQuantities) {
        lanes[at++] = {facts.name, facts.unit, gauge_tables::barGaugeDesign(facts.gauge),
                       facts.fineDecimals};
    }
    return lanes;
}
constexpr std::array<LaneSpec, kQuantities.size()> kLanes = laneSpecs();

// Each bar-gauge quantity found its gauge's design; only the tachometer's lane has none.
constexpr bool eachBarLaneHasItsGauge() {
    for (const QuantityFacts& facts : kQuantities) {
        const bool tachometer = std::string_view(facts.gauge) == "gauTach";
        if (gauge_tables::barGaugeIndex(facts.gauge).has_value() == tachometer) {
            return false;
        }
    }
    return true;
}
static_assert(eachBarLaneHasItsGauge());

constexpr double kLabelWidth = 150.0;
constexpr double kMargin = 6.0;
constexpr double kAxisHeight = 22.0;
constexpr double kShortestWindow = 2.0;
constexpr double kZoomStep = 1.5;
constexpr double kPanStep = 0.25;  // of the visible time
constexpr int kDragThreshold = 4;
constexpr double kTimeLabelSpacing = 80.0;
constexpr double kTimeLabelGap = 8.0;
constexpr double kHour = 3600.0;
constexpr double kScaleTick = 3.0;
constexpr int kMostValueTicks = 3;
constexpr std::size_t kRowsWorthAThread = 20'000;
// Marker flags: rows of them at the foot of the plot, their text's margin and the space
// between two.
constexpr std::size_t kFlagRows = 3;
constexpr double kFlagPadding = 6.0;
constexpr double kFlagGap = 2.0;
constexpr double kDotSize = 3.0;

const QColor kBackground(20, 20, 24);
const QColor kLaneLine(70, 70, 80);
const QColor kRedBand(255, 0, 0, 40);
const QColor kTrace(255, 220, 60);
const QColor kText(220, 220, 220);
const QColor kScaleText(160, 160, 170);
const QColor kScaleLine(42, 42, 50);
const QColor kCursor(90, 200, 255);
const QColor kHighlight(90, 200, 255, 60);
const QColor kMarker(255, 140, 60);
// An alarm's marker, told apart from the user's at a glance.
const QColor kAlarmMarker(230, 60, 60);
// The other runs compared with the chart's own, apart from its yellow, the cursor's blue and
// the markers' orange.
constexpr std::array<QRgb, kMostComparedRuns> kRunColours{
    qRgb(255, 90, 200),
    qRgb(110, 230, 120),
    qRgb(180, 150, 255),
};

}  // namespace

QColor runColour(std::size_t run) {
    return run == 0 ? kTrace : QColor(kRunColours[(run - 1) % kRunColours.size()]);
}

ChartWidget::ChartWidget(QWidget* parent)
    : QWidget(parent), series_(std::make_shared<RecordingColumns>()) {
    widenRanges(0);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(480, 360);
}

void ChartWidget::clear() {
    series_ = std::make_shared<RecordingColumns>();
    liveSeries_ = nullptr;
    blocks_ = {};
    overlays_.clear();
    widenRanges(0);
    longestGap_ = longestJoinedGap(kDefaultSampling);
    cursorRow_.reset();
    highlights_.clear();
    tellMarkers();
    update();
}

void ChartWidget::showRecording(std::shared_ptr<const RecordingColumns> recording) {
    live_ = false;
    series_ = recording ? std::move(recording) : std::make_shared<RecordingColumns>();
    liveSeries_ = nullptr;
    overlays_.clear();
    longestGap_ = longestJoinedGap(samplingInterval(series_->times()));
    blocks_ = summariseLanes(*series_, longestGap_);
    widenRanges(0);
    window_ = limits();
    cursorRow_.reset();
    highlights_.clear();
    tellMarkers();
    update();
}

void ChartWidget::appendLive(const RecordingRow& row, double seconds) {
    if (!live_ || liveSeries_ == nullptr || series_->empty()) {
        auto fresh = std::make_shared<RecordingColumns>();
        liveSeries_ = fresh.get();
        series_ = std::move(fresh);
        blocks_ = {};
        overlays_.clear();
        cursorRow_.reset();
        live_ = true;
        liveOrigin_ = seconds;
        widenRanges(0);
    }
    const double at = seconds - liveOrigin_;
    RecordingRow placed = row;
    placed.seconds = at;
    liveSeries_->append(placed);
    widenRanges(series_->size() - 1);
    const std::size_t dropped = liveSeries_->dropBefore(at - kLiveChartSeconds);
    if (cursorRow_) {
        cursorRow_ = *cursorRow_ >= dropped ? std::optional(*cursorRow_ - dropped) : std::nullopt;
    }
    longestGap_ = longestJoinedGap(samplingInterval(series_->times()));
    window_ = {std::max(0.0, at - kLiveChartSeconds), std::max(kLiveChartSeconds, at)};
    tellMarkers();
    update();
}

void ChartWidget::setSpeedRedFrom(double rpm) {
    speedRedFrom_ = rpm;
    update();
}

void ChartWidget::setHighlights(std::vector<TimeWindow> spans) {
    highlights_ = std::move(spans);
    update();
}

void ChartWidget::setWindow(const TimeWindow& window) {
    window_ = window;
    update();
}

void ChartWidget::setCursorRow(std::size_t row) {
    if (row >= series_->size()) {
        return;
    }
    cursorRow_ = row;
    const double at = series_->times()[row];
    if (at < window_.start || at > window_.end) {
        window_ = panWindow(window_, at - (window_.start + window_.end) / 2.0, limits());
    }
    update();
}

TimeWindow ChartWidget::limits() const {
    if (series_->empty()) {
        return {0.0, kLiveChartSeconds};
    }
    const TimeWindow runs = runsSpan(series_->times(), overlays_);
    if (runs.length() < kShortestWindow) {
        // A run of a row or a few, in the middle rather than on the plot's edge.
        const double middle = (runs.start + runs.end) / 2.0;
        return {middle - kShortestWindow / 2.0, middle + kShortestWindow / 2.0};
    }
    return runs;
}

void ChartWidget::zoomBy(double factor) {
    const double anchor =
        cursorRow_ ? series_->times()[*cursorRow_] : (window_.start + window_.end) / 2;
    window_ = zoomWindow(window_, factor, anchor, limits(), kShortestWindow);
    update();
}

void ChartWidget::panBy(double screens) {
    window_ = panWindow(window_, screens * window_.length(), limits());
    update();
}

ChartWidget::Plot ChartWidget::plot() const {
    Plot p{};
    p.left = kLabelWidth;
    p.width = std::max(1.0, width() - kLabelWidth - kMargin);
    p.top = kMargin;
    const double lanesHeight = std::max(10.0, height() - kMargin - kAxisHeight);
    // The status lane is as tall as a value lane; nine lanes share the height.
    p.laneHeight = lanesHeight / (kLanes.size() + 1);
    p.statusTop = p.top + p.laneHeight * kLanes.size();
    p.statusHeight = p.laneHeight;
    p.axisTop = p.statusTop + p.statusHeight;
    return p;
}

void ChartWidget::widenRanges(std::size_t fromRow) {
    for (std::size_t lane = 0; lane < kLanes.size(); ++lane) {
        LaneRange& range = gaugeRanges_[lane];
        if (fromRow == 0) {
            range = {kLanes[lane].low(), kLanes[lane].high()};
        }
        auto widenTo = [&range](float low, float high) {
            if (low <= high) {  // a block with no reading has neither
                range.low = std::min(range.low, static_cast<double>(low));
                range.high = std::max(range.high, static_cast<double>(high));
            }
        };
        // A whole run by its long blocks, which hold every reading's extremes.
        auto widen = [&](std::span<const float> values, const LaneBlocks& summary,
                         std::size_t from) {
            if (from == 0 && !summary.longBlocks.empty()) {
                for (const SampleBlock& block : summary.longBlocks) {
                    widenTo(block.low, block.high);
                }
                return;
            }
            for (std::size_t i = from; i < values.size(); ++i) {
                if (!std::isnan(values[i])) {
                    widenTo(values[i], values[i]);
                }
            }
        };
        widen(series_->lane(lane), blocks_[lane], fromRow);
        if (fromRow == 0) {
            for (const ChartOverlay& overlay : overlays_) {
                widen(overlay.series.lane(lane), overlay.blocks[lane], 0);
            }
        }
    }
    // Until the next paint fits them again.
    ranges_ = gaugeRanges_;
}

void ChartWidget::tellMarkers() {
    // Live, a marker comes with its row and goes with the rows that scroll out.
    const auto markers = series_->markers();
    const double first = markers.empty() ? -1.0 : series_->times()[markers.front().row];
    if (markers.size() != markerCount_ || first != firstMarkerAt_) {
        markerCount_ = markers.size();
        firstMarkerAt_ = first;
        emit markersChanged();
    }
}

void ChartWidget::setOverlays(std::vector<ChartOverlay> overlays) {
    overlays_ = std::move(overlays);
    referenceRun_ = 0;
    widenRanges(0);
    if (!live_) {
        // Every run in view, however they lie against the first.
        window_ = limits();
    }
    update();
}

void ChartWidget::setReferenceRun(std::size_t run) {
    referenceRun_ = std::min(run, overlays_.size());
    update();
}

void ChartWidget::setFittedScales(bool fitted) {
    if (fitted == fittedScales_) {
        return;
    }
    fittedScales_ = fitted;
    emit fittedScalesChanged(fitted);
    update();
}

std::pair<double, double> ChartWidget::laneScale(std::size_t lane) const {
    return {ranges_[lane].low, ranges_[lane].high};
}

void ChartWidget::fitRanges(const std::vector<std::vector<ColumnExtent>>& thinned) {
    for (std::size_t lane = 0; lane < kLanes.size(); ++lane) {
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (std::size_t run = 0; run <= overlays_.size(); ++run) {
            for (const ColumnExtent& extent : thinned[run * kLanes.size() + lane]) {
                low = std::min(low, static_cast<double>(extent.low));
                high = std::max(high, static_cast<double>(extent.high));
            }
        }
        const auto fitted = fittedScale(low, high, kLanes[lane].decimals);
        ranges_[lane] = fitted ? LaneRange{fitted->first, fitted->second} : gaugeRanges_[lane];
    }
}

QRectF ChartWidget::laneArea(const Plot& p, std::size_t lane) const {
    const double top = p.top + p.laneHeight * static_cast<double>(lane);
    return QRectF(p.left, top + 2.0, p.width, p.laneHeight - 4.0);
}

void ChartWidget::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
            // The lane names and scales are measured and drawn in the font of the moment.
            staticLayer_ = QPixmap();
            update();
            break;
        default:
            break;
    }
    QWidget::changeEvent(event);
}

void ChartWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Plot p = plot();
    const qreal ratio = devicePixelRatioF();
    // The lanes are thinned first: a fitted scale follows what they hold in view.
    const auto thinned = thinLanes(p);
    if (fittedScales_) {
        fitRanges(thinned);
    } else {
        ranges_ = gaugeRanges_;
    }
    if (staticLayer_.isNull() || staticLayer_.size() != size() * ratio ||
        staticRanges_ != ranges_ || staticRedFrom_ != speedRedFrom_) {
        staticLayer_ = QPixmap(size() * ratio);
        staticLayer_.setDevicePixelRatio(ratio);
        QPainter layer(&staticLayer_);
        // A painter on a pixmap starts with the application's font, not the widget's.
        layer.setFont(font());
        paintStaticLayer(layer, p);
        staticRanges_ = ranges_;
        staticRedFrom_ = speedRedFrom_;
    }
    painter.drawPixmap(0, 0, staticLayer_);
    paintHighlights(painter, p);
    paintOverlayTraces(painter, p, thinned);
    for (std::size_t lane = 0; lane < kLanes.size(); ++lane) {
        paintLine(painter, p, lane, thinned[lane], kTrace);
    }
    paintStatusLane(painter, p);
    paintTimeAxis(painter, p);
    paintMarkers(painter, p);
    paintReadouts(painter, p);
    paintComparisonReadouts(painter, p);
    paintCursor(painter, p);
}

namespace {

QColor markerColour(const RecordingMarker& marker) {
    return marker.kind == MarkerKind::Alarm ? kAlarmMarker : kMarker;
}

}  // namespace

void ChartWidget::paintMarkers(QPainter& painter, const Plot& p) const {
    const auto times = series_->times();
    const QFontMetricsF metrics(painter.font());
    const double flagHeight = metrics.height() + 2.0;
    std::vector<const ColumnsMarker*> shown;
    std::vector<FlagRequest> requests;
    for (const ColumnsMarker& marker : series_->markers()) {
        const double at = times[marker.row];
        if (at < window_.start || at > window_.end) {
            continue;
        }
        const double x = timeToPixel(at, window_, p.left, p.width);
        painter.setPen(QPen(markerColour(marker.marker), 1.0, Qt::DashLine));
        painter.drawLine(QPointF(x, p.top), QPointF(x, p.axisTop));
        shown.push_back(&marker);
        requests.push_back(
            {x, metrics.horizontalAdvance(markerCellText(marker.marker)) + kFlagPadding});
    }
    const double countWidth =
        metrics.horizontalAdvance(QStringLiteral("+%1").arg(requests.size())) + kFlagPadding;
    // At the foot of the status lane, clear of the cursor's time at the top.
    const FlagLayout layout =
        layOutFlags(requests, kFlagRows, p.left, p.left + p.width, kFlagGap, countWidth);
    auto flagAt = [&](std::size_t row, double left, double width) {
        return QRectF(left, p.axisTop - static_cast<double>(row + 1) * flagHeight, width,
                      flagHeight);
    };
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (const auto& place = layout.flags[i]) {
            const QRectF flag = flagAt(place->row, place->left, requests[i].width);
            painter.fillRect(flag, markerColour(shown[i]->marker));
            painter.setPen(kBackground);
            painter.drawText(flag, Qt::AlignCenter, markerCellText(shown[i]->marker));
        }
    }
    gatheredFlag_.reset();
    if (layout.gathered > 0) {
        const QRectF flag = flagAt(0, layout.countLeft, countWidth);
        painter.fillRect(flag, kText);
        painter.setPen(kBackground);
        painter.drawText(flag, Qt::AlignCenter, QStringLiteral("+%1").arg(layout.gathered));
        gatheredFlag_ = flag;
    }
}

bool ChartWidget::jumpToMarker(bool forward) {
    const auto row =
        forward ? series_->nextMarker(cursorRow_) : series_->previousMarker(cursorRow_);
    if (!row) {
        return false;
    }
    moveCursorTo(*row);
    return true;
}

void ChartWidget::moveCursorTo(std::size_t row) {
    if (row >= series_->size()) {
        return;
    }
    setCursorRow(row);
    emit cursorMoved(row);
}

void ChartWidget::paintStaticLayer(QPainter& painter, const Plot& p) const {
    painter.fillRect(QRectF(0, 0, width(), height()), kBackground);
    const QFontMetricsF metrics(painter.font());
    for (std::size_t lane = 0; lane < kLanes.size(); ++lane) {
        const LaneSpec& design = kLanes[lane];
        const QRectF area = laneArea(p, lane);
        const LaneRange range = ranges_[lane];
        auto band = [&](double from, double to) {
            from = std::max(from, range.low);
            to = std::min(to, range.high);
            // A fitted scale may hold none of a band: it would be drawn over the next lane.
            if (from >= to) {
                return;
            }
            const double y1 = valueToPixel(to, range.low, range.high, area.top(), area.height());
            const double y2 = valueToPixel(from, range.low, range.high, area.top(), area.height());
            painter.fillRect(QRectF(area.left(), y1, area.width(), y2 - y1), kRedBand);
        };
        if (design.gauge != nullptr) {
            for (const ScaleBand& scaleBand : design.gauge->bands) {
                if (scaleBand.colour == gauge_tables::kBandRed) {
                    band(scaleBand.low, scaleBand.high);
                }
            }
        }
        if (lane == 0) {
            band(speedRedFrom_, range.high);
        }
        painter.setPen(kLaneLine);
        painter.drawLine(QPointF(p.left, area.bottom() + 2.0),
                         QPointF(p.left + p.width, area.bottom() + 2.0));
        const QString name = QStringLiteral("%1 (%2)").arg(QString::fromLatin1(design.name),
                                                           QString::fromLatin1(design.unit));
        const QPointF nameAt(4.0, area.center().y() - 2.0);
        painter.setPen(kText);
        painter.drawText(nameAt, name);
        paintValueScale(painter, p, lane,
                        QRectF(nameAt.x(), nameAt.y() - metrics.ascent(),
                               metrics.horizontalAdvance(name), metrics.height()));
    }
    painter.drawText(QPointF(4.0, p.statusTop + metrics.ascent() + 2.0), QStringLiteral("Status"));
    painter.setPen(kLaneLine);
    painter.drawLine(QPointF(p.left, p.axisTop), QPointF(p.left + p.width, p.axisTop));
}

void ChartWidget::paintValueScale(QPainter& painter, const Plot& p, std::size_t lane,
                                  const QRectF& name) const {
    const QRectF area = laneArea(p, lane);
    const LaneRange range = ranges_[lane];
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    if (area.height() < 2.0 * line) {
        return;  // a lane too low for two values shows none
    }
    // The readout goes under the name in bold (paintReadouts); "no reading" is its widest.
    QFont bold = painter.font();
    bold.setBold(true);
    const QRectF readout(name.left(), name.top() + line,
                         QFontMetricsF(bold).horizontalAdvance(QStringLiteral("no reading")), line);
    std::vector<QRectF> taken{name, readout};
    const int fits =
        std::clamp(static_cast<int>(area.height() / (line * 1.25)), 2, kMostValueTicks);
    const ValueTicks ticks = valueTicks(range.low, range.high, fits);
    for (const double value : ticks.values) {
        const double y = valueToPixel(value, range.low, range.high, area.top(), area.height());
        const QString text = QStringLiteral("%1 %2").arg(
            QString::number(value, 'f', ticks.decimals), QString::fromLatin1(kLanes[lane].unit));
        const double textWidth = metrics.horizontalAdvance(text);
        // Held inside the lane, so the top and bottom values do not reach into the next one.
        const double middle = std::clamp(y, area.top() + line / 2.0, area.bottom() - line / 2.0);
        const QRectF box(p.left - kScaleTick - 2.0 - textWidth, middle - line / 2.0, textWidth,
                         line);
        if (std::any_of(taken.begin(), taken.end(),
                        [&](const QRectF& other) { return other.intersects(box); })) {
            continue;
        }
        painter.setPen(kScaleLine);
        painter.drawLine(QPointF(p.left - kScaleTick, y), QPointF(p.left + p.width, y));
        painter.setPen(kScaleText);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
        taken.push_back(box);
    }
}

std::vector<std::vector<ColumnExtent>> ChartWidget::thinLanes(const Plot& p) const {
    // The chart's own lanes first, then each compared run's.
    std::vector<std::vector<ColumnExtent>> lanes((overlays_.size() + 1) * kLanes.size());
    auto thin = [&](std::size_t index) {
        const std::size_t run = index / kLanes.size();
        const std::size_t lane = index % kLanes.size();
        // Without blocks (live) every row is looked at; the result is the same.
        lanes[index] =
            run == 0 ? thinToColumnsByBlocks(series_->times(), series_->lane(lane), blocks_[lane],
                                             window_, p.left, p.width, longestGap_)
                     : thinOverlayLane(overlays_[run - 1], lane, window_, p.left, p.width);
    };
    auto thinEveryOther = [&](std::size_t from) {
        for (std::size_t index = from; index < lanes.size(); index += 2) {
            thin(index);
        }
    };
    // A lane thins without the widget, so a long recording's lanes share a second core; the
    // five minutes of the live chart are not worth a thread.
    std::size_t rows = series_->size();
    for (const ChartOverlay& overlay : overlays_) {
        rows += overlay.series.size();
    }
    std::thread other;
    if (rows >= kRowsWorthAThread) {
        try {
            other = std::thread(thinEveryOther, std::size_t{1});
        } catch (const std::system_error&) {
            // No thread to be had: this one thins them all.
        }
    }
    thinEveryOther(0);
    if (other.joinable()) {
        other.join();
    } else {
        thinEveryOther(1);
    }
    return lanes;
}

void ChartWidget::paintLine(QPainter& painter, const Plot& p, std::size_t lane,
                            const std::vector<ColumnExtent>& extents, const QColor& colour) const {
    const QRectF area = laneArea(p, lane);
    const LaneRange range = ranges_[lane];
    QVector<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(extents.size()) * 2);
    auto y = [&](float value) {
        return valueToPixel(value, range.low, range.high, area.top(), area.height());
    };
    QVector<QRectF> dots;
    for (std::size_t i = 0; i < extents.size(); ++i) {
        const ColumnExtent& e = extents[i];
        const double x = e.column + 0.5;
        if (e.joinsPrevious && i > 0) {
            lines.append(
                QLineF(extents[i - 1].column + 0.5, y(extents[i - 1].last), x, y(e.first)));
        }
        const bool joinsNext = i + 1 < extents.size() && extents[i + 1].joinsPrevious;
        if (!e.joinsPrevious && !joinsNext && e.low == e.high) {
            // A sample joined to none (a recording of one row, a read between two failed
            // ones) would be a single pixel: it is a dot.
            dots.append(QRectF(x - kDotSize / 2.0, y(e.low) - kDotSize / 2.0, kDotSize, kDotSize));
        } else if (e.low != e.high || !e.joinsPrevious) {
            lines.append(QLineF(x, y(e.low), x, y(e.high) - (e.low == e.high ? 1.0 : 0.0)));
        }
    }
    painter.setClipRect(area);
    painter.setPen(QPen(colour, 1.0));
    painter.drawLines(lines);
    for (const QRectF& dot : dots) {
        painter.fillRect(dot, colour);
    }
    painter.setClipping(false);
}

void ChartWidget::paintReadouts(QPainter& painter, const Plot& p) const {
    if (!cursorRow_ || *cursorRow_ >= series_->size()) {
        return;
    }
    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(kCursor);
    const QFontMetricsF metrics(bold);
    for (std::size_t lane = 0; lane < kLanes.size(); ++lane) {
        const float value = series_->lane(lane)[*cursorRow_];
        const QRectF area = laneArea(p, lane);
        painter.drawText(QPointF(4.0, area.center().y() + metrics.height() - 2.0),
                         std::isnan(value) ? QStringLiteral("no reading")
                                           : QString::number(value, 'f', kLanes[lane].decimals));
    }
    const QRectF status(4.0, p.statusTop + metrics.height() + 2.0, kLabelWidth - 8.0,
                        p.statusHeight - metrics.height() - 2.0);
    painter.drawText(status, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     series_->status(*cursorRow_).text);
    painter.setFont(font());
}

void ChartWidget::paintOverlayTraces(QPainter& painter, const Plot& p,
                                     const std::vector<std::vector<ColumnExtent>>& thinned) const {
    // Under the first run's line, which the others are compared with.
    for (std::size_t run = overlays_.size(); run-- > 0;) {
        const ChartOverlay& overlay = overlays_[run];
        // The run's markers as lines in its colour over the value lanes; the first run's
        // flags below say which is which.
        painter.setPen(QPen(runColour(run + 1), 1.0, Qt::DotLine));
        for (const ColumnsMarker& marker : overlay.series.markers()) {
            const double at = overlay.series.times()[marker.row];
            if (at >= window_.start && at <= window_.end) {
                const double x = timeToPixel(at, window_, p.left, p.width);
                painter.drawLine(QPointF(x, p.top), QPointF(x, p.statusTop));
            }
        }
        for (std::size_t lane = 0; lane < kLanes.size(); ++lane) {
            paintLine(painter, p, lane, thinned[(run + 1) * kLanes.size() + lane],
                      runColour(run + 1));
        }
    }
}

void ChartWidget::paintComparisonReadouts(QPainter& painter, const Plot& p) const {
    if (overlays_.empty() || !cursorRow_ || *cursorRow_ >= series_->size()) {
        return;
    }
    const double at = series_->times()[*cursorRow_];
    const double x = timeToPixel(at, window_, p.left, p.width);
    if (x < p.left || x > p.left + p.width) {
        return;
    }
    std::vector<std::optional<std::size_t>> rows;
    for (const ChartOverlay& overlay : overlays_) {
        rows.push_back(overlayRowAt(overlay, at));
    }
    const QFontMetricsF metrics(painter.font());
    const QString noReading = QStringLiteral("no reading");
    for (std::size_t lane = 0; lane < kLanes.size(); ++lane) {
        const LaneSpec& design = kLanes[lane];
        const QString unit = QString::fromLatin1(design.unit);
        // Every run's value at the cursor's time, none where the run has no row there; the
        // reference run shows its value with the unit, the others their difference to it.
        std::vector<std::optional<float>> values{series_->lane(lane)[*cursorRow_]};
        for (std::size_t run = 0; run < overlays_.size(); ++run) {
            values.push_back(rows[run] ? std::optional(overlays_[run].series.lane(lane)[*rows[run]])
                                       : std::nullopt);
        }
        const std::optional<float> reference = values[referenceRun_];
        std::vector<std::pair<QString, QColor>> parts;
        for (std::size_t run = 0; run < values.size(); ++run) {
            const std::optional<float> value = values[run];
            QString text = !value               ? QStringLiteral("-")
                           : std::isnan(*value) ? noReading
                                                : QString::number(*value, 'f', design.decimals);
            if (run == referenceRun_ && value && !std::isnan(*value)) {
                text += QLatin1Char(' ') + unit;
            } else if (value && !std::isnan(*value) && reference && !std::isnan(*reference)) {
                text += QStringLiteral(" (%1)").arg(differenceText(
                    static_cast<double>(*value) - *reference, design.decimals, unit));
            }
            parts.emplace_back(text, runColour(run));
        }
        constexpr double kPad = 4.0;
        constexpr double kSpacing = 12.0;
        double textWidth = 0.0;
        for (const auto& part : parts) {
            textWidth += metrics.horizontalAdvance(part.first) + kSpacing;
        }
        textWidth += 2.0 * kPad - kSpacing;
        const QRectF area = laneArea(p, lane);
        const double boxLeft =
            x + 4.0 + textWidth > p.left + p.width ? x - 4.0 - textWidth : x + 4.0;
        // At the lane's foot, clear of the cursor's time at the top of the chart.
        const QRectF box(boxLeft, area.bottom() - metrics.height() - 2.0, textWidth,
                         metrics.height() + 2.0);
        painter.fillRect(box, QColor(0, 0, 0, 200));
        double left = box.left() + kPad;
        for (const auto& [text, colour] : parts) {
            painter.setPen(colour);
            painter.drawText(QPointF(left, box.top() + 1.0 + metrics.ascent()), text);
            left += metrics.horizontalAdvance(text) + kSpacing;
        }
    }
}

void ChartWidget::paintStatusLane(QPainter& painter, const Plot& p) const {
    if (series_->empty()) {
        return;
    }
    const auto times = series_->times();
    const auto changes = series_->statusChanges();
    std::size_t row = sampleAtOrBefore(times, window_.start);
    if (times[row] > window_.end) {
        return;
    }
    painter.setClipRect(QRectF(p.left, p.statusTop, p.width, p.statusHeight));
    double freeFrom = p.left - 1.0;
    const QFontMetricsF metrics(painter.font());
    // The row at the window's start, then each row where the status changes; of the changes
    // that fall in one pixel column only the first is drawn, so a day of them costs no more
    // than the plot is wide.
    for (auto change = std::upper_bound(changes.begin(), changes.end(), row);;) {
        const QString& shown = series_->status(row).text;
        const double x = std::max(p.left, timeToPixel(times[row], window_, p.left, p.width));
        painter.setPen(kLaneLine);
        painter.drawLine(QPointF(x, p.statusTop), QPointF(x, p.statusTop + p.statusHeight));
        if (x >= freeFrom) {
            painter.setPen(kText);
            painter.drawText(QPointF(x + 3.0, p.statusTop + metrics.ascent() + 2.0), shown);
            freeFrom = x + metrics.horizontalAdvance(shown) + 8.0;
        }
        const double nextColumn = pixelToTime(std::floor(x) + 1.0, window_, p.left, p.width);
        change = std::partition_point(change, changes.end(),
                                      [&](std::size_t next) { return times[next] < nextColumn; });
        if (change == changes.end() || times[*change] > window_.end) {
            break;
        }
        row = *change++;
    }
    painter.setClipping(false);
}

void ChartWidget::paintTimeAxis(QPainter& painter, const Plot& p) const {
    const double baseline = p.axisTop + 16.0;
    painter.setPen(kText);
    // The caption names the longest form the labels take.
    painter.drawText(QPointF(4.0, baseline), window_.end >= kHour ? QStringLiteral("Time (h:min:s)")
                                                                  : QStringLiteral("Time (min:s)"));
    const QFontMetricsF metrics(painter.font());
    const double right = p.left + p.width;
    double freeFrom = p.left;
    for (const double t : timeAxisTicks(window_, p.width, kTimeLabelSpacing)) {
        const double x = timeToPixel(t, window_, p.left, p.width);
        painter.drawLine(QPointF(x, p.axisTop), QPointF(x, p.axisTop + 4.0));
        const QString text = elapsedClockText(t);
        const double textWidth = metrics.horizontalAdvance(text);
        if (const auto left = labelLeft(x, textWidth, freeFrom, right)) {
            painter.drawText(QPointF(*left, baseline), text);
            freeFrom = *left + textWidth + kTimeLabelGap;
        }
    }
}

void ChartWidget::paintCursor(QPainter& painter, const Plot& p) const {
    if (!cursorRow_ || *cursorRow_ >= series_->size()) {
        return;
    }
    const double x = timeToPixel(series_->times()[*cursorRow_], window_, p.left, p.width);
    if (x < p.left || x > p.left + p.width) {
        return;
    }
    painter.setPen(QPen(kCursor, 1.0));
    painter.drawLine(QPointF(x, p.top), QPointF(x, p.axisTop));
    const QString when = QStringLiteral("%1  %2").arg(
        series_->clock(*cursorRow_), elapsedClockText(series_->times()[*cursorRow_]));
    const QFontMetricsF metrics(painter.font());
    const double textWidth = metrics.horizontalAdvance(when) + 8.0;
    const double boxLeft = x + textWidth + 4.0 > p.left + p.width ? x - textWidth - 4.0 : x + 4.0;
    const QRectF box(boxLeft, p.top, textWidth, metrics.height() + 4.0);
    painter.fillRect(box, QColor(0, 0, 0, 200));
    painter.drawText(box, Qt::AlignCenter, when);
}

void ChartWidget::paintHighlights(QPainter& painter, const Plot& p) const {
    const double origin = live_ ? liveOrigin_ : 0.0;
    const TimeWindow shown{window_.start + origin, window_.end + origin};
    // Spans closer than a pixel are one band: a cell visited ten thousand times costs no more
    // than the plot is wide.
    auto span = std::partition_point(highlights_.begin(), highlights_.end(),
                                     [&](const TimeWindow& s) { return s.end < shown.start; });
    std::optional<std::pair<double, double>> band;
    auto drawBand = [&] {
        if (band) {
            painter.fillRect(QRectF(band->first, p.top, std::max(1.0, band->second - band->first),
                                    p.axisTop - p.top),
                             kHighlight);
        }
    };
    for (; span != highlights_.end() && span->start <= shown.end; ++span) {
        const double left =
            std::max(p.left, timeToPixel(span->start - origin, window_, p.left, p.width));
        const double right =
            std::min(p.left + p.width, timeToPixel(span->end - origin, window_, p.left, p.width));
        if (band && left <= band->second + 1.0) {
            band->second = std::max(band->second, right);
        } else {
            drawBand();
            band = std::pair(left, right);
        }
    }
    drawBand();
}

void ChartWidget::placeCursorAt(double x) {
    if (series_->empty()) {
        return;
    }
    const Plot p = plot();
    const double at = pixelToTime(x, window_, p.left, p.width);
    const auto times = series_->times();
    std::size_t row = sampleAtOrBefore(times, at);
    // The nearer of the two rows around the pointer.
    if (row + 1 < times.size() && std::abs(times[row + 1] - at) < std::abs(times[row] - at)) {
        ++row;
    }
    cursorRow_ = row;
    update();
    emit cursorMoved(row);
}

void ChartWidget::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0 || live_) {
        return;
    }
    const Plot p = plot();
    const double anchor = pixelToTime(event->position().x(), window_, p.left, p.width);
    window_ = zoomWindow(window_, std::pow(kZoomStep, notches), anchor, limits(), kShortestWindow);
    update();
}

void ChartWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pressedAt_ = event->position().toPoint();
    pressedWindow_ = window_;
    dragged_ = false;
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_ || live_) {
        return;
    }
    const int dx = event->position().toPoint().x() - pressedAt_->x();
    if (!dragged_ && std::abs(dx) < kDragThreshold) {
        return;
    }
    dragged_ = true;
    const Plot p = plot();
    window_ = panWindow(pressedWindow_, -dx / p.width * pressedWindow_.length(), limits());
    update();
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (pressedAt_ && !dragged_ && gatheredFlag_ && gatheredFlag_->contains(event->position())) {
        emit gatheredMarkersClicked();
    } else if (pressedAt_ && !dragged_ && event->position().x() >= plot().left) {
        placeCursorAt(event->position().x());
    }
    pressedAt_.reset();
}

void ChartWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F && event->modifiers() == Qt::NoModifier) {
        setFittedScales(!fittedScales_);
        return;
    }
    if (live_) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoomBy(kZoomStep);
            break;
        case Qt::Key_Minus:
            zoomBy(1.0 / kZoomStep);
            break;
        case Qt::Key_Left:
            panBy(-kPanStep);
            break;
        case Qt::Key_Right:
            panBy(kPanStep);
            break;
        case Qt::Key_N:
            // N to the next marker, Shift+N back to the one before.
            jumpToMarker(!(event->modifiers() & Qt::ShiftModifier));
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void ChartWidget::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* fit = menu.addAction(QStringLiteral("&Fit Scales to the Data in View"));
    fit->setShortcut(QKeySequence(Qt::Key_F));
    fit->setCheckable(true);
    fit->setChecked(fittedScales_);
    if (menu.exec(event->globalPos()) == fit) {
        setFittedScales(fit->isChecked());
    }
}

}  // namespace quillmark
