// Help, Contents on a machine without a CHM viewer: the program's own window.
#include "platform/HelpWindow.h"
#include "platform/QtHelpViewer.h"

#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using namespace quillmark;

class HelpViewerTest final : public QObject {
    Q_OBJECT

private slots:
    void systemViewerWinsWhenItTakesTheFile() {
        QWidget mainWindow;
        QStringList handed;
        QtHelpViewer viewer(&mainWindow, [&handed](const QString& path) {
            handed << path;
            return true;
        });
        viewer.openContents("/opt/q/Quillmark_Help.chm");
        QCOMPARE(handed, QStringList{"/opt/q/Quillmark_Help.chm"});
        QVERIFY(!viewer.helpWindow());
    }

    void ownWindowShowsTheContentsPage() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("help"));
        for (const QString& name : QDir(QUILLMARK_HELP_DIR).entryList({"*.html", "*.css"})) {
            QVERIFY(QFile::copy(QString(QUILLMARK_HELP_DIR) + "/" + name,
                                dir.filePath("help/" + name)));
        }
        QWidget mainWindow;
        QtHelpViewer viewer(&mainWindow, [](const QString&) { return false; });
        viewer.openContents(dir.filePath("Quillmark_Help.chm"));
        HelpWindow* window = viewer.helpWindow();
        QVERIFY(window);
        QCOMPARE(window->parent(), &mainWindow);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->source(), QUrl::fromLocalFile(dir.filePath("help/index.html")));
        QVERIFY(window->toPlainText().contains("Contents"));
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(window->grab().save(QString::fromLocal8Bit(shots) + "/help.png"));
        }

        // Every link of the contents page leads to a page that exists.
        const QString html = QString::fromUtf8([&] {
            QFile f(dir.filePath("help/index.html"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }());
        static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.html)"));
        int links = 0;
        for (auto m = link.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            QVERIFY2(QFileInfo::exists(dir.filePath("help/" + target)), qPrintable(target));
            ++links;
        }
        QVERIFY(links >= 4);

        // A second use reuses the window instead of stacking new ones.
        window->close();
        viewer.openContents(dir.filePath("Quillmark_Help.chm"));
        QCOMPARE(viewer.helpWindow(), window);
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(HelpViewerTest)
#include "QtHelpViewerTest.moc"
