// The chart: one lane per quantity on one time axis, painted from thinned columns. Live it
// scrolls through the last five minutes; with a recording it also zooms and pans. A click
// puts a cursor on a row; live, it stays on that row until the row scrolls out.
#pragma once

#include "analysis/ChartMapping.h"
#include "analysis/ChartOverlay.h"
#include "recording/RecordingColumns.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <utility>

namespace quillmark {

inline constexpr double kLiveChartSeconds = 300.0;

// The colour of each run on a chart that compares runs: the first keeps the chart's own.
QColor runColour(std::size_t run);

class ChartWidget final : public QWidget {
    Q_OBJECT
public:
    explicit ChartWidget(QWidget* parent = nullptr);

    // Shows a whole recording, shared with whoever else reads it (playback, the time-at-cell
    // table); times are the recording's own seconds.
    void showRecording(std::shared_ptr<const RecordingColumns> recording);
    // Live: each tick's row as it arrives; `seconds` on any clock that only moves forward.
    void appendLive(const RecordingRow& row, double seconds);
    void clear();

    // The tachometer's red band starts here, as the panel's dial has it for the model.
    void setSpeedRedFrom(double rpm);
    double speedRedFrom() const { return speedRedFrom_; }

    const RecordingColumns& series() const { return *series_; }
    TimeWindow window() const { return window_; }
    void setWindow(const TimeWindow& window);
    // The row under the cursor, as an index into series(): live, it moves down as rows are
    // dropped, so that the cursor stays on its sample.
    std::optional<std::size_t> cursorRow() const { return cursorRow_; }
    // Puts the cursor on a row without telling anyone (playback moves it this way).
    void setCursorRow(std::size_t row);
    // Puts the cursor on a row and tells it as the user's move, so a playback goes on from
    // there (a marker chosen from the list).
    void moveCursorTo(std::size_t row);

    // Stretches of time drawn as translucent bands across the lanes (a table's chosen cell),
    // in the seconds the rows were given in; sorted, not overlapping. Empty draws none.
    void setHighlights(std::vector<TimeWindow> spans);
    const std::vector<TimeWindow>& highlights() const { return highlights_; }

    void zoomBy(double factor);
    void panBy(double screens);
    // Puts the cursor on the next (or previous) marker and tells it as the user's move, so a
    // playback goes on from there; false when there is none that way.
    bool jumpToMarker(bool forward);

    // Other runs drawn over the recording in their own colours, each lane's scale widened to
    // take them; the cursor then reads every run. None: the chart as it always is.
    // The time axis then covers every run.
    void setOverlays(std::vector<ChartOverlay> overlays);
    const std::vector<ChartOverlay>& overlays() const { return overlays_; }
    // The run the others' differences are measured against at the cursor: 0 is the chart's
    // own recording, 1 the first overlay, and so on.
    void setReferenceRun(std::size_t run);
    std::size_t referenceRun() const { return referenceRun_; }

    // Each lane's scale fitted to the values in view, or (as it starts) the range of the
    // lane's gauge. F toggles it, and so does the chart's context menu.
    void setFittedScales(bool fitted);
    bool fittedScales() const { return fittedScales_; }
    // The scale each lane is drawn on, low and high, as of the last paint.
    std::pair<double, double> laneScale(std::size_t lane) const;

signals:
    // The user put the cursor on a row.
    void cursorMoved(std::size_t row);
    // The recording's markers changed: another recording, or live ones came or scrolled out.
    void markersChanged();
    // The flag counting the markers that found no room was clicked.
    void gatheredMarkersClicked();
    void fittedScalesChanged(bool fitted);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Plot {
        double left;
        double width;
        double top;
        double laneHeight;
        double statusTop;
        double statusHeight;
        double axisTop;
    };
    struct LaneRange {
        double low;
        double high;
        bool operator==(const LaneRange&) const = default;
    };
    Plot plot() const;
    TimeWindow limits() const;
    void widenRanges(std::size_t fromRow);
    // Raises markersChanged when the markers are no longer those last told.
    void tellMarkers();
    // Each lane's range fitted to its thinned values in view, all runs together.
    void fitRanges(const std::vector<std::vector<ColumnExtent>>& thinned);
    QRectF laneArea(const Plot& plot, std::size_t lane) const;
    // Background, red bands, lane lines, names and scales: drawn again only when one of them
    // changes, or the font or style does.
    void paintStaticLayer(QPainter& painter, const Plot& plot) const;
    // Round values of the lane's range beside its left edge, each with a faint line across;
    // a value whose text would cover the lane's name (`name`) or the cursor's readout is left
    // out, line and all, so that no line goes unlabelled.
    void paintValueScale(QPainter& painter, const Plot& plot, std::size_t lane,
                         const QRectF& name) const;
    // Every lane thinned to the plot's pixel columns: the chart's own eight, then each compared
    // run's, in that order.
    std::vector<std::vector<ColumnExtent>> thinLanes(const Plot& plot) const;
    // A lane's thinned columns as a line in `colour`.
    void paintLine(QPainter& painter, const Plot& plot, std::size_t lane,
                   const std::vector<ColumnExtent>& extents, const QColor& colour) const;
    void paintOverlayTraces(QPainter& painter, const Plot& plot,
                            const std::vector<std::vector<ColumnExtent>>& thinned) const;
    // Beside the cursor in each lane, every run's value at the cursor's time on the shared axis
    // and, for the others, its difference to the first's.
    void paintComparisonReadouts(QPainter& painter, const Plot& plot) const;
    void paintReadouts(QPainter& painter, const Plot& plot) const;
    void paintStatusLane(QPainter& painter, const Plot& plot) const;
    void paintTimeAxis(QPainter& painter, const Plot& plot) const;
    void paintCursor(QPainter& painter, const Plot& plot) const;
    void paintHighlights(QPainter& painter, const Plot& plot) const;
    // Each marker in the window as a line over the lanes with a flag carrying its text; flags
    // that find no room are counted on one flag instead.
    void paintMarkers(QPainter& painter, const Plot& plot) const;
    void placeCursorAt(double x);

    std::shared_ptr<const RecordingColumns> series_;
    // Live, the same columns, which the chart itself fills and trims.
    RecordingColumns* liveSeries_ = nullptr;
    // A recording's lanes in blocks, so that an hour of many rows a second thins in time; the
    // live chart's five minutes thin row by row.
    std::array<LaneBlocks, kRecordedValues.size()> blocks_;
    std::vector<ChartOverlay> overlays_;
    // Each lane's gauge range, widened where a value lies outside; and the range drawn.
    std::array<LaneRange, kRecordedValues.size()> gaugeRanges_{};
    std::array<LaneRange, kRecordedValues.size()> ranges_{};
    bool fittedScales_ = false;
    std::size_t referenceRun_ = 0;
    // Where the last paint put the flag counting the markers without room, if it did.
    mutable std::optional<QRectF> gatheredFlag_;
    // What markersChanged last told: how many, and the first one's time.
    std::size_t markerCount_ = 0;
    double firstMarkerAt_ = -1.0;
    QPixmap staticLayer_;
    std::array<LaneRange, kRecordedValues.size()> staticRanges_{};
    double staticRedFrom_ = 0.0;
    double longestGap_ = longestJoinedGap(kDefaultSampling);
    TimeWindow window_{0.0, kLiveChartSeconds};
    std::optional<std::size_t> cursorRow_;
    std::vector<TimeWindow> highlights_;
    bool live_ = false;
    double liveOrigin_ = 0.0;
    double speedRedFrom_ = 6000.0;
    std::optional<QPoint> pressedAt_;
    TimeWindow pressedWindow_;
    bool dragged_ = false;
};

}  // namespace quillmark
