// The alarm limits in the settings file: the user's lines stay, a bad value is named and left
// out.
#include "DataColumns.h"
#include "platform/QtSettingsStore.h"
#include "analysis/AlarmLimits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quillmark;
using quillmark::test::columns;

namespace {

constexpr std::size_t kBattery = 4;
constexpr std::size_t kThrottle = 1;

void write(const QString& path, const QByteArray& bytes) {
    QFile::remove(path);
    if (!bytes.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class AlarmLimitsTest final : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    QString conf_;

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.path()));
        QVERIFY(QDir(home_.path()).mkpath(QStringLiteral("Quillmark")));
        conf_ = home_.filePath(QStringLiteral("Quillmark/Quillmark.conf"));
    }

    void storingEditsOnlyTheAlarmEntries_data() {
        // before: null for no file; battery: the low and high limit stored
        columns<QByteArray, QString, QString, QByteArray>("before", "low", "high", "after");
        const QByteArray mine = "; my ports\n[Ports]\nCom1=/dev/ttyUSB0\n";
        QTest::newRow("none set, none stored: the file stays") << mine << ""
                                                               << "" << mine;
        QTest::newRow("none set, no file: no file made") << QByteArray() << ""
                                                         << "" << QByteArray();
        QTest::newRow("a new section at the end") << mine << "11.5"
                                                  << "" << mine + "\n[Alarms]\nBattery Low=11.5\n";
        QTest::newRow("the section keeps its comment; a cleared limit's line goes")
            << QByteArray("[Alarms]\n; mine\nBattery Low=11\nThrottle High=90\n\n[Ports]\nCom1=x\n")
            << "12.25"
            << "16"
            << QByteArray(
                   "[Alarms]\n; mine\nBattery Low=12.25\nBattery High=16\n\n[Ports]\n"
                   "Com1=x\n");
    }
    void storingEditsOnlyTheAlarmEntries() {
        QFETCH(QByteArray, before);
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(QByteArray, after);
        write(conf_, before);
        AlarmLimits limits;
        limits.limits[kBattery] = {parseLimit(low), parseLimit(high)};
        QtSettingsStore store;
        storeLimits(store, limits);
        QCOMPARE(read(conf_), after);
        QCOMPARE(QFile::exists(conf_), !after.isNull());
        const ReadLimits back = storedLimits(store);
        QVERIFY(back.ignored.isEmpty());
        QVERIFY(back.limits == limits);
    }

    void handTypedValuesAreTakenOrNamed() {
        write(conf_,
              "[Alarms]\nBattery Low = 12.0\nFuel rear Low=12,5\nThrottle High=abc\n"
              "Engine speed High=6500\n");
        const ReadLimits read = storedLimits(QtSettingsStore());
        QCOMPARE(read.limits.limits[kBattery].low, 12.0);
        QCOMPARE(read.limits.limits[0].high, 6500.0);
        QCOMPARE(read.limits.limits[kThrottle].high, std::nullopt);
        // A comma makes the reader see a list: it must be named, not read as no entry.
        QCOMPARE(read.ignored,
                 (QStringList{"The alarm limit Throttle High=abc is not a number and is ignored.",
                              "The alarm limit Fuel rear Low=12,5 is not a number and is "
                              "ignored."}));
    }

    // A file given to the logger sets limits, or is refused with the reason; nothing in it is
    // dropped without a word.
    void alarmFileIsTakenOrRefused_data() {
        columns<QByteArray, QString, QString>("text", "refusal", "inForce");
        QTest::newRow("without a section line") << QByteArray("Engine speed High=1500\n") << ""
                                                << "Engine speed above 1500 rpm";
        QTest::newRow("under [Alarms]") << QByteArray("[Alarms]\nBattery Low=11.5\n") << ""
                                        << "Battery below 11.5 V";
        QTest::newRow("a misspelt key")
            << QByteArray("Engine speed Hi=1500\nBattery Low=11\n") << "unknown key Engine speed Hi"
            << "";
        QTest::newRow("another section")
            << QByteArray("[Limits]\nBattery Low=11\n") << "unknown key Limits/Battery Low"
            << "";
        QTest::newRow("low not below high") << QByteArray("Battery Low=14\nBattery High=12\n")
                                            << "Battery: the low limit must be below the high limit"
                                            << "";
        QTest::newRow("no limit at all") << QByteArray("\n") << "sets no alarm limit"
                                         << "";
        QTest::newRow("a binary file") << QByteArray(
                                              "\x7f"
                                              "ELF\x02\x01\x01\0\0\xff=\x01\n",
                                              14)
                                       << "limits"
                                       << "";
    }
    void alarmFileIsTakenOrRefused() {
        QFETCH(QByteArray, text);
        QFETCH(QString, refusal);
        QFETCH(QString, inForce);
        const QString path = home_.filePath(QStringLiteral("limits.ini"));
        write(path, text);
        const AlarmFileLimits read = readAlarmFile(path);
        if (refusal.isEmpty()) {
            QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
            QCOMPARE(limitsInForceText(read.read.limits), inForce);
        } else {
            QVERIFY2(read.error.contains(refusal), qPrintable(read.error));
        }
    }
};

QTEST_GUILESS_MAIN(AlarmLimitsTest)
#include "AlarmLimitsTest.moc"
