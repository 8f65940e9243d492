// The program ended from outside (kill, log-out) while it records: it ends as its close box
// ends it, without a box. A recording keeps its rows; one without a row leaves no file.
#include "DataColumns.h"
#include "ProgramHarness.h"
#include "platform/TerminationRequests.h"
#include "recording/RecordingReader.h"
#include "shell/WindowFeatures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>

using namespace quillmark;
using namespace quillmark::test;

class TerminationTest final : public QObject {
    Q_OBJECT
private slots:
    void terminated_endsLikeTheCloseBox_data() {
        columns<int>("ticksRecorded");
        QTest::newRow("before the first row") << 0;
        QTest::newRow("with rows") << 2;
    }
    void terminated_endsLikeTheCloseBox() {
        QFETCH(int, ticksRecorded);
        ProgramHarness h;
        QTemporaryDir folder;
        WindowFeatures features{h.window, h.logic, h.state,
                                RecordingPlatform{h.clock,
                                                  h.boxes,
                                                  h.settings,
                                                  [](const QString&) { return QString(); },
                                                  {},
                                                  {},
                                                  {}}};
        h.settings.save(QStringLiteral("Quillmark"), QStringLiteral("Recording"),
                        QStringLiteral("Folder"), folder.path());
        TerminationRequests requests;
        CloseOnTerminationRequest(h.window, requests);

        QVERIFY(h.openRealTimeForATick());
        h.window.findChild<QAction*>(QStringLiteral("mnuRecording"))->trigger();
        QVERIFY(features.recording().recording());
        QVERIFY(h.waitForTicks(ticksRecorded));
        // No tick starts between here and the end, so the rows on disk are known.
        h.window.findChild<QTimer*>(QStringLiteral("tmrDataRead"))->stop();
        QVERIFY(h.waitForIdleLink(3000));

        QCOMPARE(::raise(SIGTERM), 0);
        QVERIFY(QTest::qWaitFor([&] { return h.programEnd.ends != 0; }));
        QCOMPARE(h.programEnd.ends, 1);
        QVERIFY(!features.recording().recording());
        QVERIFY(!h.port.isOpen());
        QVERIFY(h.boxes.shown.isEmpty());
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        if (ticksRecorded == 0) {
            QCOMPARE(files, QStringList());
        } else {
            QCOMPARE(files.size(), 1);
            const RecordingContents contents = readRecordingFile(folder.filePath(files.first()));
            QVERIFY2(contents.ok(), qPrintable(contents.error));
            QVERIFY(contents.rows.size() >= std::size_t(ticksRecorded));
        }
    }
};

QTEST_MAIN(TerminationTest)
#include "TerminationTest.moc"
