// The logger's row buffers and its disk keeper: the pre-trigger rows a file opens with, the rows
// a failed disk holds back and what it cost, and the oldest recordings removed for room.
#include "logger/Console.h"
#include "logger/DiskKeeper.h"
#include "logger/PreTrigger.h"
#include "logger/RecentRows.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace quillmark;

namespace {

RecordingRow rowAt(double seconds) {
    RecordingRow row;
    row.seconds = seconds;
    row.clock = QString::number(seconds);
    return row;
}

QList<double> times(const std::vector<RecordingRow>& rows) {
    QList<double> seconds;
    for (const RecordingRow& row : rows) {
        seconds << row.seconds;
    }
    return seconds;
}

}  // namespace

class RowBuffersTest final : public QObject {
    Q_OBJECT
private slots:
    void preTriggerHoldsTheSpanBeforeTheStartWithinItsBound() {
        PreTrigger held(1.0, 4);
        for (double t : {0.0, 0.5, 1.0, 1.5, 2.0}) {
            held.hold(rowAt(t));
        }
        // The start at 2.25 takes what lies within a second before it, not the row at 1.0.
        QCOMPARE(times(held.take(2.25)), (QList<double>{1.5, 2.0}));
        QCOMPARE(held.size(), std::size_t{0});
        for (int i = 0; i < 10; ++i) {
            held.hold(rowAt(10.0 + i * 0.01));
        }
        QCOMPARE(held.size(), std::size_t{4});  // the bound in rows holds inside the span
        PreTrigger none(0.0);
        none.hold(rowAt(1.0));
        QVERIFY(none.take(1.0).empty());
    }

    void recentRowsKeepWhatIsUnwrittenAndCountWhatIsLost() {
        RecentRows rows(2.0, 100);
        for (double t : {0.0, 1.0, 2.0}) {
            rows.add(rowAt(t));
        }
        rows.markWritten(1.0);
        QCOMPARE(times(rows.unwritten()), (QList<double>{2.0}));
        // A failure after the file took the row at 0: the rest goes again.
        rows.rewind(0.0);
        QCOMPARE(times(rows.unwritten()), (QList<double>{1.0, 2.0}));
        // Writing stays blocked: rows older than the span leave unwritten and are counted.
        for (double t : {3.0, 4.0, 5.0}) {
            rows.add(rowAt(t));
        }
        const LostRows lost = rows.takeLost();
        QCOMPARE(lost.rows, 2L);
        QCOMPARE(lost.from, QStringLiteral("1"));
        QCOMPARE(lost.to, QStringLiteral("2"));
        QVERIFY(!rows.takeLost().any());
        QCOMPARE(rows.unwrittenAsLost().rows, 3L);
        rows.skipUnwritten();
        QVERIFY(rows.unwritten().empty());
        rows.add(rowAt(6.0));
        QVERIFY(!rows.takeLost().any());  // what leaves now was skipped, not lost
    }

    void diskKeeperRemovesTheOldestFinishedRecordingsOnly() {
        QTemporaryDir dir;
        const auto make = [&](const QString& name, int ageHours) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(100 * 1024, 'x'));
            file.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * ageHours),
                             QFileDevice::FileModificationTime);
        };
        make("quillmark_Corvane_1.csv", 3);
        make("quillmark_Corvane_2.csv", 2);
        make("quillmark_Corvane_3.csv", 1);
        make("notes.csv", 4);
        DiskKeeper keeper(dir.path(), {0.0, qint64(0)}, qint64(50) * 1024);
        // The oldest is being written: it stays, the next two go.
        const QStringList lines = keeper.makeRoom(dir.filePath("quillmark_Corvane_1.csv"));
        QCOMPARE(lines.size(), 3);  // two removals and that nothing more can go
        QVERIFY(QFile::exists(dir.filePath("quillmark_Corvane_1.csv")));
        QVERIFY(!QFile::exists(dir.filePath("quillmark_Corvane_2.csv")));
        QVERIFY(!QFile::exists(dir.filePath("quillmark_Corvane_3.csv")));
        QVERIFY(QFile::exists(dir.filePath("notes.csv")));
        QVERIFY(keeper.makeRoom(dir.filePath("quillmark_Corvane_1.csv")).isEmpty());  // said once
        QCOMPARE(keeper.roomLeft(), std::optional<qint64>(0));
    }

    void eventLinesCarryTheirTimeOrTheirPriority() {
        std::FILE* out = std::tmpfile();
        QVERIFY(out != nullptr);
        Console journal(out, out, false, EventStamp::Priority);
        journal.warning(QStringLiteral("two\r\nlines"));
        Console terminal(out, out, false, EventStamp::Time);
        terminal.event(QStringLiteral("plain"));
        std::rewind(out);
        QFile read;
        QVERIFY(read.open(out, QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(read.readAll()).split('\n');
        std::fclose(out);
        QCOMPARE(lines.value(0), QStringLiteral("<4>two lines"));
        QVERIFY2(QRegularExpression(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d plain$)")
                     .match(lines.value(1))
                     .hasMatch(),
                 qPrintable(lines.value(1)));
    }
};

QTEST_GUILESS_MAIN(RowBuffersTest)
#include "RowBuffersTest.moc"
