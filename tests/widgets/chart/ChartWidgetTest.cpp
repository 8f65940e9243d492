// The chart widget as the user drives it: a click puts the cursor on the nearest row, keys
// and the wheel zoom and pan inside the recording, and the live chart keeps five minutes
// with the cursor on its sample.
#include "DataColumns.h"
#include "recording/RecordingFormat.h"
#include "widgets/chart/ChartWidget.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <map>

using namespace quillmark;
using quillmark::test::columns;

namespace {

std::vector<RecordingRow> rows(int count) {
    std::vector<RecordingRow> all(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        all[i].seconds = i * 0.5;
        all[i].setValue(Quantity::EngineSpeed, 1000.0f + float(i));
    }
    return all;
}

std::shared_ptr<const RecordingColumns> recording(const std::vector<RecordingRow>& rows) {
    return std::make_shared<const RecordingColumns>(columnsOf(rows));
}

QImage picture(ChartWidget& chart) {
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    chart.render(&painter);
    return image;
}

}  // namespace

class ChartWidgetTest final : public QObject {
    Q_OBJECT
private slots:
    void click_putsTheCursorOnTheNearestRow() {
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(rows(201)));  // 0 to 100 s over the 1000 plot pixels
        QSignalSpy moved(&chart, &ChartWidget::cursorMoved);
        QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(150 + 502, 300));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.first().first().value<std::size_t>(), std::size_t{100});
        QCOMPARE(chart.cursorRow(), std::optional<std::size_t>(100));
        // A drag pans and leaves the cursor where it was.
        chart.zoomBy(4.0);
        const TimeWindow before = chart.window();
        QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(600, 300));
        QTest::mouseMove(&chart, QPoint(400, 300));
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(400, 300));
        QCOMPARE(moved.size(), 1);
        QVERIFY(chart.window().start > before.start);
    }

    void keysAndWheel_zoomAndPanInsideTheRecording() {
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(rows(201)));
        QCOMPARE(chart.window().length(), 100.0);
        QTest::keyClick(&chart, Qt::Key_Plus);
        QCOMPARE(chart.window().length(), 100.0 / 1.5);
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(&chart, Qt::Key_Right);
        }
        QCOMPARE(chart.window().end, 100.0);
        QWheelEvent out(QPointF(600, 300), chart.mapToGlobal(QPointF(600, 300)), {}, {0, -1200},
                        Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &out);
        QCOMPARE(chart.window().start, 0.0);
        QCOMPARE(chart.window().end, 100.0);
    }

    // The lane names, scales and red bands are drawn once into a cache; a change must reach it.
    // N steps to the next marker and Shift+N back, from the cursor (or from either end when
    // there is none), and a playback hears it as the user's move.
    void markerKeys_moveTheCursorFromMarkerToMarker_data() {
        columns<int, bool, int>("cursor", "forward", "lands");
        QTest::newRow("no cursor, next") << -1 << true << 20;
        QTest::newRow("no cursor, previous") << -1 << false << 180;
        QTest::newRow("between, next") << 50 << true << 120;
        QTest::newRow("on one, previous") << 120 << false << 20;
        QTest::newRow("after the last") << 190 << true << -1;
        QTest::newRow("before the first") << 10 << false << -1;
    }
    void markerKeys_moveTheCursorFromMarkerToMarker() {
        QFETCH(int, cursor);
        QFETCH(bool, forward);
        QFETCH(int, lands);
        auto all = rows(201);
        for (const int row : {20, 120, 180}) {
            all[static_cast<std::size_t>(row)].markers = {RecordingMarker{row, QString()}};
        }
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(all));
        chart.zoomBy(8.0);
        if (cursor >= 0) {
            chart.setCursorRow(static_cast<std::size_t>(cursor));
        }
        QSignalSpy moved(&chart, &ChartWidget::cursorMoved);
        QTest::keyClick(&chart, Qt::Key_N, forward ? Qt::NoModifier : Qt::ShiftModifier);
        if (lands < 0) {
            QCOMPARE(moved.size(), 0);
            return;
        }
        QCOMPARE(moved.size(), 1);
        QCOMPARE(chart.cursorRow(), std::optional<std::size_t>(lands));
        // The window follows, so the flag is in sight.
        QVERIFY(chart.window().start <= lands * 0.5 && lands * 0.5 <= chart.window().end);
    }

    // Forty markers a tenth of a second apart: those whose flags find no room are counted on
    // one flag, which leads to the list of them.
    void crowdedFlags_areCountedOnAFlagThatLeadsToTheList() {
        auto all = rows(201);
        for (int row = 100; row < 140; ++row) {
            all[static_cast<std::size_t>(row)].markers = {
                RecordingMarker{row - 99, QStringLiteral("Engine speed")}};
        }
        ChartWidget chart;
        chart.resize(1156, 600);
        QSignalSpy listed(&chart, &ChartWidget::markersChanged);
        chart.showRecording(recording(all));
        QCOMPARE(listed.size(), 1);
        chart.setWindow({40.0, 80.0});
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(picture(chart).save(QString::fromLocal8Bit(shots) + "/chart-flags.png"));
        }
        picture(chart);
        QSignalSpy gathered(&chart, &ChartWidget::gatheredMarkersClicked);
        // The counting flag ends the lowest row of flags, at the plot's right end.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(1147, 570));
        QCOMPARE(gathered.size(), 1);
    }

    // A marker's line and flag in its kind's colour: an alarm's red apart from the user's orange.
    void markerFlag_inTheColourOfItsKind_data() {
        columns<bool, QColor, QColor>("alarm", "colour", "otherColour");
        QTest::newRow("the user's marker") << false << QColor(255, 140, 60) << QColor(230, 60, 60);
        QTest::newRow("an alarm") << true << QColor(230, 60, 60) << QColor(255, 140, 60);
    }
    void markerFlag_inTheColourOfItsKind() {
        QFETCH(bool, alarm);
        QFETCH(QColor, colour);
        QFETCH(QColor, otherColour);
        auto all = rows(201);
        all[100].markers = {RecordingMarker{1, QStringLiteral("Battery"),
                                            alarm ? MarkerKind::Alarm : MarkerKind::User}};
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(all));
        const QImage image = picture(chart);
        std::map<QRgb, int> pixels;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                ++pixels[image.pixel(x, y)];
            }
        }
        QVERIFY2(pixels[colour.rgb()] > 100, qPrintable(QString::number(pixels[colour.rgb()])));
        QCOMPARE(pixels[otherColour.rgb()], 0);
    }

    // A recording of one row shows its sample, away from the plot's edge.
    void singleRow_drawsItsSample() {
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(rows(1)));
        const QImage image = picture(chart);
        int traced = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 160; x < image.width(); ++x) {
                traced += image.pixelColor(x, y) == runColour(0) ? 1 : 0;
            }
        }
        QVERIFY2(traced >= 9, qPrintable(QString::number(traced)));
    }

    // F fits each lane's scale to the values in view and back to the gauge's range.
    void fKey_fitsTheScalesToTheDataInView() {
        auto all = rows(201);
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i].setValue(Quantity::Battery, i < 100 ? 13.4f : 14.1f);
        }
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(all));
        picture(chart);
        const auto gauge = chart.laneScale(4);
        QVERIFY(gauge.second - gauge.first > 5.0);
        QTest::keyClick(&chart, Qt::Key_F);
        QVERIFY(chart.fittedScales());
        picture(chart);
        const auto fitted = chart.laneScale(4);
        QVERIFY2(fitted.first > 13.3 && fitted.first < 13.4 && fitted.second > 14.1 &&
                     fitted.second < 14.2,
                 qPrintable(QStringLiteral("%1 to %2").arg(fitted.first).arg(fitted.second)));
        // The battery's red band below 11 V lies outside its fitted scale: drawn nowhere, not
        // over the injector lane under it.
        const QImage fittedPicture = picture(chart);
        QCOMPARE(fittedPicture.pixelColor(600, 335), QColor(20, 20, 24));
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(fittedPicture.save(QString::fromLocal8Bit(shots) + "/chart-fitted.png"));
        }
        // Zoomed into the first half, the scale fits 13.4 V alone.
        chart.setWindow({0.0, 40.0});
        picture(chart);
        QVERIFY(chart.laneScale(4).second < 13.5);
        QTest::keyClick(&chart, Qt::Key_F);
        picture(chart);
        QCOMPARE(chart.laneScale(4), gauge);
    }

    void live_dropsMarkersAndStatusRunsWithTheirRows() {
        RecordingColumns series;
        for (int i = 0; i < 10; ++i) {
            RecordingRow row;
            row.seconds = i;
            row.status = i < 4 ? QStringLiteral("A") : i < 8 ? QStringLiteral("B") : "C";
            if (i == 2 || i == 7) {
                row.markers = {RecordingMarker{i, QStringLiteral("a, b")}};
            }
            series.append(row);
        }
        QCOMPARE(series.dropBefore(5.0), std::size_t{5});
        QCOMPARE(series.markers().size(), std::size_t{1});
        QCOMPARE(series.markers().front().row, std::size_t{2});
        QCOMPARE(markerCellText(series.markers().front().marker), QStringLiteral("7 a, b"));
        // The first row left starts its status's run, cut or not.
        const std::vector<std::size_t> changes(series.statusChanges().begin(),
                                               series.statusChanges().end());
        QCOMPARE(changes, (std::vector<std::size_t>{0, 3}));
        QCOMPARE(series.dropBefore(8.0), std::size_t{3});
        QCOMPARE(series.statusChanges().size(), std::size_t{1});
    }

    void cachedLayer_followsEachChange_data() {
        columns<int, double, QRect>("growFont", "redFrom", "changedArea");
        QTest::newRow("bigger font") << 6 << 6000.0 << QRect(0, 0, 150, 300);
        QTest::newRow("red band from 3000 rpm") << 0 << 3000.0 << QRect(150, 6, 1000, 60);
    }
    void cachedLayer_followsEachChange() {
        QFETCH(int, growFont);
        QFETCH(double, redFrom);
        QFETCH(QRect, changedArea);
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(rows(201)));
        const QImage before = picture(chart);
        QFont font = chart.font();
        font.setPointSizeF(font.pointSizeF() + growFont);
        chart.setFont(font);
        chart.setSpeedRedFrom(redFrom);
        const QImage after = picture(chart);
        QVERIFY(after.copy(changedArea) != before.copy(changedArea));
        ChartWidget fresh;
        fresh.setFont(font);
        fresh.setSpeedRedFrom(redFrom);
        fresh.resize(chart.size());
        fresh.showRecording(recording(rows(201)));
        QCOMPARE(after, picture(fresh));
    }

    // A table's chosen cell: bands where its samples are, live on the chart's own time axis.
    void highlights_coverTheirSpansOnly_data() {
        columns<bool, double>("live", "origin");
        QTest::newRow("recording") << false << 0.0;
        QTest::newRow("live, on the monotonic clock") << true << 7000.0;
    }
    void highlights_coverTheirSpansOnly() {
        QFETCH(bool, live);
        QFETCH(double, origin);
        ChartWidget chart;
        chart.resize(1156, 600);
        // Either way 1000 plot pixels from x = 150 show 0 to 100 s, or live 0 to 300 s.
        const auto all = rows(live ? 401 : 201);
        if (live) {
            for (const auto& row : all) {
                chart.appendLive(row, origin + row.seconds);
            }
        } else {
            chart.showRecording(recording(all));
        }
        const double scale = live ? 3.0 : 1.0;
        const QImage before = picture(chart);
        chart.setHighlights({{origin + 20 * scale, origin + 25 * scale},
                             {origin + 25.05 * scale, origin + 30 * scale}});
        const QImage after = picture(chart);
        const QRect band(360, 10, 80, 500);
        const QRect beside(460, 10, 600, 500);
        QVERIFY(after.copy(band) != before.copy(band));
        QCOMPARE(after.copy(beside), before.copy(beside));
        // Spans half a pixel apart are drawn as one band, with no gap between.
        QCOMPARE(after.pixel(400, 20), after.pixel(380, 20));
    }

    void overlay_drawnInItsColourOnAWiderScale_andGoneWithoutATrace() {
        ChartWidget chart;
        chart.resize(1156, 600);
        chart.showRecording(recording(rows(201)));
        chart.setCursorRow(100);
        const QImage alone = picture(chart);
        auto faster = rows(201);
        for (auto& row : faster) {
            row.setValue(Quantity::EngineSpeed, 12000.0f);  // past the lane's scale
        }
        chart.setOverlays({makeOverlay(columnsOf(faster), 0.0, QStringLiteral("b.csv"))});
        const QImage compared = picture(chart);
        auto coloured = [&](const QImage& image) {
            int count = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 150; x < image.width(); ++x) {
                    count += image.pixelColor(x, y) == runColour(1) ? 1 : 0;
                }
            }
            return count;
        };
        QCOMPARE(coloured(alone), 0);
        QVERIFY(coloured(compared) > 900);  // the run's line across the plot, and its readout
        // The scale took the run's top: the first run's line moved down its lane.
        QVERIFY(compared.copy(150, 0, 1000, 70) != alone.copy(150, 0, 1000, 70));
        chart.setOverlays({});
        QCOMPARE(picture(chart), alone);
        // The time axis covers a run moved past the first's end.
        chart.setOverlays({makeOverlay(columnsOf(faster), 60.0, QStringLiteral("b.csv"))});
        QCOMPARE(chart.window().end, 160.0);
        chart.setOverlays({});
        // A new recording starts without the runs of the last.
        chart.setOverlays({makeOverlay(columnsOf(faster), 0.0, QStringLiteral("b.csv"))});
        chart.showRecording(recording(rows(201)));
        QVERIFY(chart.overlays().empty());
    }

    void live_keepsTheLastFiveMinutes() {
        ChartWidget chart;
        const auto all = rows(1000);
        for (const auto& row : all) {
            chart.appendLive(row, 5000.0 + row.seconds);
        }
        QCOMPARE(chart.series().times().back(), 499.5);
        QVERIFY(chart.series().times().front() >= 499.5 - kLiveChartSeconds);
        QCOMPARE(chart.window().end, 499.5);
        QCOMPARE(chart.window().length(), kLiveChartSeconds);
    }

    void live_cursorStaysOnItsSampleUntilItScrollsOut() {
        ChartWidget chart;
        chart.resize(1156, 600);
        const auto all = rows(1000);
        std::size_t next = 0;
        auto tickUntil = [&](double seconds) {
            for (; next < all.size() && all[next].seconds <= seconds; ++next) {
                chart.appendLive(all[next], 7000.0 + all[next].seconds);
            }
        };
        tickUntil(200.0);
        QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(150 + 500, 300));  // at 2:30
        QCOMPARE(chart.cursorRow(), std::optional<std::size_t>(300));
        tickUntil(400.0);  // the rows before 1:40 have gone
        QVERIFY(chart.cursorRow().has_value());
        QCOMPARE(chart.series().times()[*chart.cursorRow()], 150.0);
        QCOMPARE(chart.series().lane(0)[*chart.cursorRow()], 1300.0f);
        tickUntil(450.5);
        QVERIFY(!chart.cursorRow().has_value());
    }
};

QTEST_MAIN(ChartWidgetTest)
#include "ChartWidgetTest.moc"
