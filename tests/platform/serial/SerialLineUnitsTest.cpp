// Unmarking, counter comparison, line format parsing and port naming, without a device.
#include "MemorySettingsStore.h"
#include "platform/LineErrorCounters.h"
#include "platform/LineFormat.h"
#include "platform/PortNames.h"
#include "platform/SerialMarks.h"
#include "platform/SerialPort.h"

#include <QTest>

using namespace quillmark;

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
    void marks_doubledFFIsOneDataByte() {
        SerialMarks marks;
        const auto result = marks.feed(bytes({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x06}));
        QCOMPARE(result.data, bytes({0x00, 0xFF, 0xFF, 0x06}));
        QCOMPARE(result.markedBytes, 0);
    }

    void marks_badByteIsCountedAndKeptAsData() {
        SerialMarks marks;
        const auto result = marks.feed(bytes({0x41, 0xFF, 0x00, 0x42, 0xFF, 0x00, 0x00, 0x43}));
        QCOMPARE(result.data, bytes({0x41, 0x42, 0x00, 0x43}));
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

    void marks_loneTrailingFFIsHeldBack() {
        SerialMarks marks;
        QCOMPARE(marks.feed(bytes({0x01, 0xFF})).data, bytes({0x01}));
        QVERIFY(marks.holdsPartialMark());
        QCOMPARE(marks.feed(bytes({0xFF})).data, bytes({0xFF}));
        QVERIFY(!marks.holdsPartialMark());
    }

    void marks_resetForgetsAHalfMark() {
        SerialMarks marks;
        marks.feed(bytes({0xFF, 0x00}));
        marks.reset();
        const auto result = marks.feed(bytes({0x07}));
        QCOMPARE(result.data, bytes({0x07}));
        QCOMPARE(result.markedBytes, 0);
    }

    void marks_unexpectedByteAfterFFIsNotLost() {
        SerialMarks marks;
        QCOMPARE(marks.feed(bytes({0xFF, 0x31})).data, bytes({0xFF, 0x31}));
    }

    void counters_growthRaisesOverrunAndParity() {
        LineErrorCounters counters;
        counters.restart(LineCounters{3, 4, 5, 6});
        QCOMPARE(counters.update(LineCounters{3, 4, 5, 6}), std::vector<int>{});
        QCOMPARE(counters.update(LineCounters{3, 4, 6, 6}), std::vector<int>{comm_event::kOverrun});
        QCOMPARE(counters.update(LineCounters{3, 4, 6, 7}), std::vector<int>{comm_event::kOverrun});
        QCOMPARE(counters.update(LineCounters{3, 5, 6, 7}),
                 std::vector<int>{comm_event::kRxParity});
        QCOMPARE(counters.update(LineCounters{3, 5, 6, 7}), std::vector<int>{});
    }

    void counters_frameGrowthIsLeftToTheMarks() {
        LineErrorCounters counters;
        counters.restart(LineCounters{});
        QCOMPARE(counters.update(LineCounters{9, 0, 0, 0}), std::vector<int>{});
    }

    void counters_unavailableReportNothing() {
        LineErrorCounters counters;
        counters.restart(std::nullopt);
        QCOMPARE(counters.update(std::nullopt), std::vector<int>{});
        // The first reading after a failed baseline only becomes the baseline.
        QCOMPARE(counters.update(LineCounters{0, 7, 7, 7}), std::vector<int>{});
        QCOMPARE(counters.update(std::nullopt), std::vector<int>{});
        QCOMPARE(counters.update(LineCounters{0, 7, 8, 7}), std::vector<int>{comm_event::kOverrun});
    }

    void counters_realIoctlFailsOnANonTerminal() { QVERIFY(!readDriverCounters(-1).has_value()); }

    void lineFormat_parsesTheModuleLine() {
        const auto format = parseLineFormat(QStringLiteral("56000,N,8,1"));
        QVERIFY(format.has_value());
        QCOMPARE(format->baudRate, 56000);
        QVERIFY(format->parity == LineParity::None);
        QCOMPARE(format->dataBits, 8);
        QVERIFY(format->stopBits == LineStopBits::One);
    }

    void lineFormat_otherParitiesAndStops() {
        const auto even = parseLineFormat(QStringLiteral("9600,e,7,2"));
        QVERIFY(even && even->parity == LineParity::Even && even->dataBits == 7 &&
                even->stopBits == LineStopBits::Two && even->hasParity());
        const auto space = parseLineFormat(QStringLiteral("1200,S,5,1.5"));
        QVERIFY(space && space->parity == LineParity::Space &&
                space->stopBits == LineStopBits::OneAndHalf);
        QVERIFY(parseLineFormat(QStringLiteral("300,M,8,1"))->parity == LineParity::Mark);
        QVERIFY(parseLineFormat(QStringLiteral("300,O,8,1"))->parity == LineParity::Odd);
    }

    void lineFormat_rejectsMalformedText_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("three fields") << QStringLiteral("56000,N,8");
        QTest::newRow("zero baud") << QStringLiteral("0,N,8,1");
        QTest::newRow("text baud") << QStringLiteral("fast,N,8,1");
        QTest::newRow("parity X") << QStringLiteral("56000,X,8,1");
        QTest::newRow("9 data bits") << QStringLiteral("56000,N,9,1");
        QTest::newRow("4 data bits") << QStringLiteral("56000,N,4,1");
        QTest::newRow("3 stop bits") << QStringLiteral("56000,N,8,3");
    }
    void lineFormat_rejectsMalformedText() {
        QFETCH(QString, text);
        QVERIFY(!parseLineFormat(text).has_value());
    }

    void portNames_storedPathWinsElseKernelNumbering() {
        test::MemorySettingsStore settings;
        settings.save(QStringLiteral("Quillmark"), QStringLiteral("Ports"), QStringLiteral("Com3"),
                      QStringLiteral(" /dev/ttyUSB0 "));
        const PortNames names(settings);
        QCOMPARE(PortNames::displayName(12), QStringLiteral("Com12"));
        QCOMPARE(names.device(3), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(names.device(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(names.device(7), QStringLiteral("/dev/ttyS6"));
    }
};

QTEST_GUILESS_MAIN(SerialLineUnitsTest)
#include "SerialLineUnitsTest.moc"
