// Writes PNGs of the chart window: an hour's recording opened, zoomed in, with the cursor placed
// and the playback controls below it; a recording of an hour and a quarter with the panel closed
// for three minutes, whole and zoomed in on the gap after the first hour; and the live chart
// with its cursor; and a second run with markers laid over the first, lined up at a marker.
// The first picture goes to the path given, the others beside it.
#include "ChartScenes.h"
#include "engine/ModelTraits.h"
#include "widgets/chart/ChartWidget.h"
#include "analysis/RunAlignment.h"
#include "widgets/gauges/RealTimePanelWidget.h"
#include "recording/PlaybackDriver.h"
#include "recording/RecordingColumns.h"
#include "recording/RecordingReader.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

using namespace quillmark;

const QString kModel = QStringLiteral("Corvane II VR");

// The rows as the program would read them back from the file.
std::shared_ptr<const RecordingColumns> throughFile(const QString& path,
                                                    const std::vector<RecordingRow>& rows) {
    if (!scenes::writeRecording(path, rows)) {
        return nullptr;
    }
    RecordingColumnsContents contents = readRecordingColumns(path);
    if (!contents.ok()) {
        QTextStream(stderr) << recordingProblemText(path, contents.errorLine, contents.error)
                            << '\n';
        return nullptr;
    }
    return std::make_shared<const RecordingColumns>(std::move(contents.columns));
}

bool save(QWidget& window, const QString& out) {
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(out);
    QTextStream(stdout) << (saved ? out : QStringLiteral("could not write ") + out) << '\n';
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QStringLiteral(QUILLMARK_RENDER_DIR "/chart.png");
    const QFileInfo outInfo(out);
    QDir().mkpath(outInfo.absolutePath());
    auto beside = [&](const char* suffix) {
        return outInfo.dir().filePath(outInfo.completeBaseName() + QString::fromLatin1(suffix) +
                                      QStringLiteral(".png"));
    };
    QTemporaryDir dir;
    const QString path =
        dir.filePath(QStringLiteral("quillmark_Corvane_II_VR_20261207_093000.csv"));
    const auto hour = throughFile(path, scenes::driveCycleRows(7200));
    if (!hour) {
        return 1;
    }
    RealTimePanelWidget panel;
    ChartWindow window;
    window.setWindowTitle(QStringLiteral("Chart - %1").arg(QFileInfo(path).fileName()));
    window.resize(1100, 720);
    window.chart()->setSpeedRedFrom(modelTraits(kModel).speedRedFromRpm());
    window.chart()->showRecording(hour);
    PlaybackDriver driver(hour, panel);
    window.attachPlayback(&driver);
    window.chart()->setWindow(TimeWindow{0.0, 120.0});
    driver.seek(27);  // on the way up to the limiter
    bool saved = save(window, out);

    auto closed = scenes::driveCycleRows(9000);
    scenes::closePanelBefore(closed, 7320, 180.0);  // after 1:01:00, back at 1:04:00
    const auto gap = throughFile(path, closed);
    if (!gap) {
        return 1;
    }
    ChartWindow long_;
    long_.resize(1100, 720);
    long_.chart()->setSpeedRedFrom(modelTraits(kModel).speedRedFromRpm());
    long_.chart()->showRecording(gap);
    saved = save(long_, beside("-long")) && saved;
    long_.chart()->setWindow(TimeWindow{3540.0, 3900.0});
    long_.chart()->setCursorRow(7400);
    saved = save(long_, beside("-long-gap")) && saved;

    ChartWindow live;
    live.resize(1100, 720);
    live.chart()->setSpeedRedFrom(modelTraits(kModel).speedRedFromRpm());
    for (const RecordingRow& row : scenes::driveCycleRows(800)) {
        live.chart()->appendLive(row, row.seconds);
    }
    live.chart()->setCursorRow(400);
    saved = save(live, beside("-live")) && saved;

    // Two runs of the same ride with markers: the second started 25 s later in the cycle, was
    // marked at the hill 3 s late and ran a little faster.
    auto markedRun = [&](const QString& name, int skip, float faster,
                         std::initializer_list<std::pair<int, const char*>> markers) {
        auto rows = scenes::driveCycleRows(1200 + skip);
        rows.erase(rows.begin(), rows.begin() + skip);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].seconds = static_cast<double>(i) * 0.5;
            for (const Quantity quantity : {Quantity::EngineSpeed, Quantity::Throttle}) {
                if (const auto value = rows[i].value(quantity)) {
                    rows[i].setValue(quantity, *value * faster);
                }
            }
        }
        int number = 0;
        for (const auto& [row, text] : markers) {
            rows[static_cast<std::size_t>(row)].markers = {
                RecordingMarker{++number, QString::fromLatin1(text)}};
        }
        return throughFile(dir.filePath(name), rows);
    };
    const auto firstRun = markedRun(QStringLiteral("quillmark_Corvane_II_VR_20261207_093000.csv"),
                                    0, 1.0f, {{120, "warm"}, {300, "hill start"}, {420, "top"}});
    const auto secondRun = markedRun(QStringLiteral("quillmark_Corvane_II_VR_20261208_101500.csv"),
                                     50, 0.94f, {{90, "warm"}, {256, "hill start"}, {380, "top"}});
    if (!firstRun || !secondRun) {
        return 1;
    }
    const RunAlignmentChoice atHill{AlignAt::Marker, 2, 0.0};
    const auto offset = alignmentOffset(*firstRun, *secondRun, atHill);
    if (!offset) {
        return 1;
    }
    ChartWindow compared;
    compared.resize(1100, 760);
    compared.setWindowTitle(QStringLiteral("Chart - quillmark_Corvane_II_VR_20261207_093000.csv"));
    compared.chart()->setSpeedRedFrom(modelTraits(kModel).speedRedFromRpm());
    compared.chart()->showRecording(firstRun);
    PlaybackDriver comparedDriver(firstRun, panel);
    compared.attachPlayback(&comparedDriver);
    compared.showComparison(
        QStringLiteral("quillmark_Corvane_II_VR_20261207_093000.csv"),
        {makeOverlay(RecordingColumns(*secondRun), *offset,
                     QStringLiteral("quillmark_Corvane_II_VR_20261208_101500.csv"))},
        alignmentText(atHill));
    compared.chart()->setWindow(TimeWindow{120.0, 240.0});
    comparedDriver.seek(330);  // 15 s after the hill start
    saved = save(compared, beside("-compare")) && saved;
    return saved ? 0 : 1;
}
