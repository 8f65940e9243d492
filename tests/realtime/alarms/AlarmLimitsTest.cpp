// The alarm limits in the settings file and in a file of their own: the user's lines stay, a
// bad value is named and left out, and typed limits are checked before they are stored.
#include "DataColumns.h"
#include "platform/QtSettingsStore.h"
#include "realtime/alarms/AlarmLimits.h"

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

    void typedLimitsAreCheckedBeforeStoring_data() {
        columns<QString, QString, QString>("low", "high", "problem");
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "";
        QTest::newRow("numbers with blanks around them") << " 11.5 "
                                                         << "15"
                                                         << "";
        QTest::newRow("a comma for the point")
            << "11,5"
            << ""
            << "Battery Low: \"11,5\" is not a number. Type a number with a point, such as 12.5, "
               "or leave the field empty for no limit.";
        QTest::newRow("text") << ""
                              << "high"
                              << "Battery High: \"high\" is not a number.";
        QTest::newRow("low equal to high")
            << "12"
            << "12.0"
            << "Battery: the low limit must be below the high limit.";
        QTest::newRow("low above high") << "14"
                                        << "12"
                                        << "Battery: the low limit must be below the high limit.";
    }
    void typedLimitsAreCheckedBeforeStoring() {
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(QString, problem);
        TypedLimits typed;
        typed[kBattery] = {low, high};
        const QString found = typedLimitsProblem(typed);
        QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.startsWith(problem),
                 qPrintable(found));
    }

    void alarmFileWithOrWithoutItsSection_data() {
        columns<QByteArray, bool, double>("text", "readable", "batteryLow");
        QTest::newRow("as the settings' section")
            << QByteArray("# bench\n[Alarms]\nBattery Low=11.8\n") << true << 11.8;
        QTest::newRow("the lines alone") << QByteArray("Battery Low=12.2\n") << true << 12.2;
        QTest::newRow("no such file") << QByteArray() << false << 0.0;
    }
    void alarmFileWithOrWithoutItsSection() {
        QFETCH(QByteArray, text);
        QFETCH(bool, readable);
        QFETCH(double, batteryLow);
        const QString path = home_.filePath(QStringLiteral("limits.ini"));
        write(path, text);
        const AlarmFileLimits file = readAlarmFile(path);
        QCOMPARE(file.error.isEmpty(), readable);
        if (readable) {
            QCOMPARE(file.read.limits.limits[kBattery].low, batteryLow);
        } else {
            QVERIFY(file.error.contains(QDir::toNativeSeparators(path)));
        }
    }
};

QTEST_GUILESS_MAIN(AlarmLimitsTest)
#include "AlarmLimitsTest.moc"
