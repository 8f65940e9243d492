// Writes PNG pictures of the real-time panel for both model set-ups at pixel ratios 1 and 2.
#include "PanelScenes.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString directory =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUILLMARK_RENDER_DIR);
    QDir().mkpath(directory);
    QTextStream out(stdout);
    int failures = 0;
    for (const auto& scene : quillmark::scenes::kScenes) {
        for (const int ratio : {1, 2}) {
            quillmark::RealTimePanelWidget panel;
            quillmark::scenes::applyScene(panel, scene);
            const QImage image = quillmark::scenes::renderPanel(panel, ratio);
            const QString path =
                QDir(directory).filePath(QStringLiteral("panel-%1@%2x.png")
                                             .arg(QString::fromUtf8(scene.fileStem))
                                             .arg(ratio));
            if (image.save(path)) {
                out << path << '\n';
            } else {
                out << "could not write " << path << '\n';
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
