// Writes a PNG of the chart window with an hour's recording opened, zoomed in, and the cursor
// placed, with the playback controls below it.
#include "ChartScenes.h"
#include "realtime/ModelTraits.h"
#include "realtime/chart/ChartWidget.h"
#include "realtime/gauges/RealTimePanelWidget.h"
#include "realtime/playback/PlaybackDriver.h"
#include "realtime/recording/RecordingReader.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char* argv[]) {
    using namespace quillmark;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QStringLiteral(QUILLMARK_RENDER_DIR "/chart.png");
    QDir().mkpath(QFileInfo(out).absolutePath());
    QTemporaryDir dir;
    const QString path =
        dir.filePath(QStringLiteral("quillmark_Corvane_II_VR_20261207_093000.csv"));
    if (!scenes::writeRecording(path, scenes::driveCycleRows(7200))) {
        return 1;
    }
    const RecordingContents contents = readRecordingFile(path);
    if (!contents.ok()) {
        QTextStream(stderr) << recordingProblemText(path, contents) << '\n';
        return 1;
    }
    RealTimePanelWidget panel;
    ChartWindow window;
    window.setWindowTitle(QStringLiteral("Chart - %1").arg(QFileInfo(path).fileName()));
    window.resize(1100, 720);
    window.chart()->setSpeedRedFrom(modelTraits(QStringLiteral("Corvane II VR")).speedRedFromRpm());
    window.chart()->showRecording(contents.rows);
    PlaybackDriver driver(contents.rows, panel);
    window.attachPlayback(&driver);
    window.chart()->setWindow(TimeWindow{0.0, 120.0});
    driver.seek(27);  // on the way up to the limiter
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(out);
    QTextStream(stdout) << (saved ? out : QStringLiteral("could not write ") + out) << '\n';
    return saved ? 0 : 1;
}
