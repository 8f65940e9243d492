// Unmarking, counter comparison, line format parsing and port naming, without a device.
#include "platform/LineErrorCounters.h"
#include "platform/LineFormat.h"
#include "platform/SerialMarks.h"
#include "platform/SerialPort.h"

#include <QTest>

using namespace quillmark;
using Events = std::vector<LineEvent>;

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int value : values) {
        out.append(static_cast<char>(value));
    }
    return out;
}
}  // namespace

class SerialLineUnitsTest final : public QObject {
    Q_OBJECT
private slots:
    void marks_badBytesCountedAndKeptRealFFOnce() {
        SerialMarks marks;
        const auto result =
            marks.feed(bytes({0x41, 0xFF, 0x00, 0x42, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
        QCOMPARE(result.data, bytes({0x41, 0x42, 0xFF, 0x00}));
        QCOMPARE(result.markedBytes, 2);
    }

    void marks_splitAcrossReadsAtEveryPoint() {
        const QByteArray raw = bytes({0x10, 0xFF, 0x00, 0x55, 0xFF, 0xFF, 0x20});
        for (int cut = 0; cut <= raw.size(); ++cut) {
            SerialMarks marks;
            const auto first = marks.feed(raw.left(cut));
            const auto second = marks.feed(raw.mid(cut));
            QCOMPARE(first.data + second.data, bytes({0x10, 0x55, 0xFF, 0x20}));
            QCOMPARE(first.markedBytes + second.markedBytes, 1);
        }
    }

    void marks_loneTrailingFFHeldBackUntilReset() {
        SerialMarks marks;
        QCOMPARE(marks.feed(bytes({0x01, 0xFF})).data, bytes({0x01}));
        QVERIFY(marks.holdsPartialMark());
        marks.reset();
        QCOMPARE(marks.feed(bytes({0xFF, 0x07})).data, bytes({0xFF, 0x07}));
    }

    void counters_growthRaisesOverrunAndParityNotFrame() {
        LineErrorCounters counters;
        counters.restart(LineCounters{3, 4, 5, 6});
        QCOMPARE(counters.update(LineCounters{3, 4, 5, 6}), Events{});
        QCOMPARE(counters.update(LineCounters{3, 4, 6, 6}), Events{LineEvent::Overrun});
        QCOMPARE(counters.update(LineCounters{3, 4, 6, 7}), Events{LineEvent::Overrun});
        QCOMPARE(counters.update(LineCounters{3, 5, 6, 7}), Events{LineEvent::RxParity});
        QCOMPARE(counters.update(LineCounters{9, 5, 6, 7}), Events{});
    }

    void counters_unavailableReportNothing() {
        LineErrorCounters counters;
        counters.restart(std::nullopt);
        QCOMPARE(counters.update(std::nullopt), Events{});
        // The first reading after a failed baseline only becomes the baseline.
        QCOMPARE(counters.update(LineCounters{0, 7, 7, 7}), Events{});
        QCOMPARE(counters.update(std::nullopt), Events{});
        QCOMPARE(counters.update(LineCounters{0, 7, 8, 7}), Events{LineEvent::Overrun});
        QVERIFY(!readDriverCounters(-1).has_value());
    }

    void lineFormat_parses() {
        const auto module = parseLineFormat(QStringLiteral("56000,N,8,1"));
        QVERIFY(module && module->baudRate == 56000 && !module->hasParity() &&
                module->dataBits == 8 && module->stopBits == LineStopBits::One);
        const auto even = parseLineFormat(QStringLiteral("9600,e,7,1.5"));
        QVERIFY(even && even->parity == LineParity::Even && even->dataBits == 7 &&
                even->stopBits == LineStopBits::OneAndHalf);
        QVERIFY(parseLineFormat(QStringLiteral("300,S,5,2"))->parity == LineParity::Space);
        for (const char* bad : {"", "56000,N,8", "0,N,8,1", "fast,N,8,1", "56000,X,8,1",
                                "56000,N,9,1", "56000,N,4,1", "56000,N,8,3"}) {
            QVERIFY2(!parseLineFormat(QString::fromLatin1(bad)), bad);
        }
    }
};

QTEST_GUILESS_MAIN(SerialLineUnitsTest)
#include "SerialLineUnitsTest.moc"
