// When written rows are pushed to the disk: not after every row, never later than the period.
#include "FakeTime.h"
#include "recording/PeriodicSync.h"

#include <QBuffer>
#include <QTemporaryFile>
#include <QTest>

using namespace quillmark;
using namespace quillmark::test;

class PeriodicSyncTest final : public QObject {
    Q_OBJECT
private slots:
    // "w" a write, "i" a look between writes, each after `step` ms; the result has one letter
    // per event: s the rows were synced there, . they were not.
    void syncsOncePerPeriod_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("synced");
        QTest::newRow("rows every 300 ms: one sync a second") << 300 << "wwwwwww"
                                                              << "....s..";
        QTest::newRow("a quiet link: the rows go at the first look after the period")
            << 400 << "wiii"
            << "...s";
        QTest::newRow("nothing written: nothing to sync") << 600 << "iii"
                                                          << "...";
    }
    void syncsOncePerPeriod() {
        QFETCH(int, step);
        QFETCH(QString, events);
        QFETCH(QString, synced);
        FakeClock clock;
        QTemporaryFile file;
        QVERIFY(file.open());
        PeriodicSync sync(clock, 1s);
        QString seen;
        for (const QChar event : events) {
            clock.advance(std::chrono::milliseconds(step));
            const bool before = sync.unsynced() || event == 'w';
            if (event == 'w') {
                file.write("row\n");
                QVERIFY(sync.wrote(file).isEmpty());
            } else {
                QVERIFY(sync.syncIfDue(file).isEmpty());
            }
            seen += before && !sync.unsynced() ? 's' : '.';
        }
        QCOMPARE(seen, synced);
    }

    void endOfFileSyncsWhateverIsLeftAndABufferIsNeverSynced() {
        FakeClock clock;
        QTemporaryFile file;
        QVERIFY(file.open());
        PeriodicSync sync(clock, 1s);
        file.write("row\n");
        QVERIFY(sync.wrote(file).isEmpty() && sync.unsynced());
        QVERIFY(sync.syncNow(file).isEmpty());
        QVERIFY(!sync.unsynced());
        QBuffer memory;
        memory.open(QIODevice::WriteOnly);
        PeriodicSync none(clock, 0s);
        QVERIFY(none.wrote(memory).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PeriodicSyncTest)
#include "PeriodicSyncTest.moc"
