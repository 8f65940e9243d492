// A recording's chart index: it follows a growing file a whole line at a time and notices a file
// replaced by a shorter one; a view whose pixel columns each hold whole blocks is drawn from the
// blocks as the chart thins the rows themselves, failed reads and all, and a narrow view is
// thinned from the rows read again at their offsets.
#include "network/http/RecordingIndex.h"
#include "recording/RecordingColumns.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quillmark;

namespace {

QByteArray header() {
    return QByteArray(kRecordingHeader) + '\n';
}

// 40 rows a second; engine speed in a saw tooth, throttle with failed reads in rows 3200-3205.
QByteArray row(int i) {
    const QByteArray throttle =
        i >= 3200 && i <= 3205 ? QByteArray() : QByteArray::number((i % 100) / 10.0, 'f', 1);
    return QByteArray::number(i * 0.025, 'f', 3) + ",2026-12-08T10:00:00.000Z,6,Engine Running," +
           QByteArray::number(1000 + (i * 37) % 1000) + ',' + throttle + ",1,1,13,1,1,1,2F:0006," +
           (i == 1000 ? "1 hill" : "") + '\n';
}

bool write(const QString& path, const QByteArray& text, QIODevice::OpenMode mode) {
    QFile file(path);
    return file.open(mode) && file.write(text) == text.size();
}

// The view as the chart thins every row of the file.
QByteArray thinnedRows(const QString& path, const ChartView& like) {
    const RecordingColumnsContents contents = readRecordingColumns(path);
    ChartView exact = like;
    const auto times = contents.columns.times();
    for (std::size_t lane = 0; lane < exact.lanes.size(); ++lane) {
        exact.lanes[lane].extents =
            thinToColumns(times, contents.columns.lane(lane), like.window, 0.0, like.width,
                          longestJoinedGap(samplingInterval(times)));
    }
    return chartJson(exact);
}

}  // namespace

class ChartIndexTest final : public QObject {
    Q_OBJECT
private slots:
    void followsAGrowingFileAWholeLineAtATime() {
        QTemporaryDir dir;
        const QString path = dir.filePath("run.csv");
        QByteArray rows;
        for (int i = 0; i < 100; ++i) {
            rows += row(i);
        }
        const QByteArray torn = row(100);
        QVERIFY(write(path, header() + rows + torn.left(10), QIODevice::WriteOnly));
        RecordingIndex index(path);
        QCOMPARE(index.catchUp(1 << 20), RecordingIndex::Progress::UpToDate);
        QCOMPARE(index.rows(), 100L);
        QVERIFY(write(path, torn.mid(10) + row(101), QIODevice::Append));
        QCOMPARE(index.catchUp(1 << 20), RecordingIndex::Progress::UpToDate);
        QCOMPARE(index.rows(), 102L);
        QVERIFY(index.error().isEmpty());
        QVERIFY(write(path, header() + row(0), QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(index.catchUp(1 << 20), RecordingIndex::Progress::Replaced);
        // Made anew under the same name, and longer.
        RecordingIndex again(path);
        QCOMPARE(again.catchUp(1 << 20), RecordingIndex::Progress::UpToDate);
        QVERIFY(QFile::remove(path));
        QTest::qWait(20);  // a birth time of its own
        QVERIFY(write(path, header() + rows + torn + row(101), QIODevice::WriteOnly));
        if (QFileInfo(path).birthTime().isValid()) {
            QCOMPARE(again.catchUp(1 << 20), RecordingIndex::Progress::Replaced);
        }
    }

    void viewsFromBlocksAndFromRowsAreTheRowsThinned_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        // 160 s in 10 columns: 640 rows, ten whole blocks, a column; the failed reads in one.
        QTest::newRow("a day's way, from blocks") << 0.0 << 160.0;
        // 80 rows in 10 columns: read again from the file.
        QTest::newRow("zoomed in, from rows") << 79.0 << 81.0;
        QTest::newRow("zoomed in at the end") << 158.0 << 170.0;
    }

    void viewsFromBlocksAndFromRowsAreTheRowsThinned() {
        QFETCH(double, from);
        QFETCH(double, to);
        QTemporaryDir dir;
        const QString path = dir.filePath("run.csv");
        QByteArray text = header();
        for (int i = 0; i < 6400; ++i) {
            text += row(i);
        }
        QVERIFY(write(path, text, QIODevice::WriteOnly));
        RecordingIndex index(path);
        // A little at a time, as the background takes it.
        int turns = 0;
        while (index.catchUp(64 * 1024) == RecordingIndex::Progress::More) {
            ++turns;
        }
        QVERIFY(turns > 3);
        QCOMPARE(index.rows(), 6400L);
        const std::optional<ChartView> view = index.view(TimeWindow{from, to}, 10);
        QVERIFY(view);
        QCOMPARE(view->lanes[0].low, 1000.0f);
        QCOMPARE(view->lanes[0].high, 1999.0f);
        QCOMPARE(view->markers, QByteArray(R"([25,"1","hill"])"));
        QCOMPARE(chartJson(*view), thinnedRows(path, *view));
    }
};

QTEST_GUILESS_MAIN(ChartIndexTest)
#include "ChartIndexTest.moc"
