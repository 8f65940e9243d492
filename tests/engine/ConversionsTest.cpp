// The throttle curve, the unit conversions of every read and the status texts.
#include "DataColumns.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"
#include "engine/StatusText.h"
#include "engine/ThrottleCurve.h"

#include <QTest>

#include <bit>
#include <limits>

using namespace quillmark;
using quillmark::test::columns;

class ConversionsTest final : public QObject {
    Q_OBJECT
private slots:
    void throttleCurve_corners_data() {
        columns<int, double>("raw", "percent");
        const QList<QPair<int, double>> points = {
            {0, 0},       {1, 10.0 / 48}, {24, 5},     {48, 10},   {49, 10.625}, {64, 20},
            {65, 21.25},  {80, 40},       {81, 41.25}, {96, 60},   {97, 61.25},  {112, 80},
            {113, 81.25}, {120, 90},      {126, 97.5}, {127, 100}, {255, 100}};
        for (const auto& [raw, percent] : points) {
            QTest::newRow(qPrintable(QString::number(raw))) << raw << percent;
        }
    }
    void throttleCurve_corners() {
        QFETCH(int, raw);
        QFETCH(double, percent);
        QCOMPARE(LinearizeTPSPercent(static_cast<std::uint8_t>(raw)), percent);
    }

    void throttleCurve_neverFallsAndStaysInRange() {
        double previous = -1;
        for (int raw = 0; raw <= 255; ++raw) {
            const double percent = LinearizeTPSPercent(static_cast<std::uint8_t>(raw));
            QVERIFY2(percent >= previous, qPrintable(QString::number(raw)));
            QVERIFY(percent >= 0 && percent <= 100);
            previous = percent;
        }
    }

    void readings_data() {
        columns<int, int, int, QString, float>("quantity", "low", "high", "model", "value");
        auto row = [](const char* name, Quantity q, int low, int high, const char* model,
                      double value) {
            QTest::newRow(name) << int(q) << low << high << QString(model)
                                << static_cast<float>(value);
        };
        row("battery 0", Quantity::Battery, 0, 0, "", 0);
        row("battery 1 is the single nearest 18/255", Quantity::Battery, 1, 0, "", 18.0 / 255);
        row("battery 170", Quantity::Battery, 170, 0, "", 12.0);
        row("battery 255", Quantity::Battery, 255, 0, "", 18.0);
        row("speed 200 on the VR", Quantity::EngineSpeed, 200, 0, "Corvane II VR", 8000);
        row("speed 200 on the II", Quantity::EngineSpeed, 200, 0, "Corvane II", 6250);
        row("speed 200, model compared exactly", Quantity::EngineSpeed, 200, 0, "corvane ii vr",
            6250);
        row("speed 255 on the VR", Quantity::EngineSpeed, 255, 0, "Corvane II VR", 10200);
        row("speed 255 on the plain model", Quantity::EngineSpeed, 255, 0, "Corvane", 7968.75);
        row("injector 2500 counts", Quantity::Injector1, 0xC4, 0x09, "", 10.0);
        row("injector 250 counts", Quantity::Injector2, 0xFA, 0x00, "", 1.0);
        row("injector full count", Quantity::Injector1, 0xFF, 0xFF, "", 262.14);
        row("fuel 0", Quantity::FuelMultiplier1, 0, 0, "", -100);
        row("fuel 64", Quantity::FuelMultiplier2, 64, 0, "", -50);
        row("fuel 128", Quantity::FuelMultiplier1, 128, 0, "", 0);
        row("fuel 255", Quantity::FuelMultiplier1, 255, 0, "", 99.21875);
        row("retard 16", Quantity::Retard, 16, 0, "", 1.0);
        row("retard 255", Quantity::Retard, 255, 0, "", 15.9375);
        row("throttle 126", Quantity::Throttle, 126, 0, "", 97.5);
        row("status 255 stays positive", Quantity::Status, 255, 0, "", 255);
    }
    void readings() {
        QFETCH(int, quantity);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(QString, model);
        QFETCH(float, value);
        const float got =
            convertReading(static_cast<Quantity>(quantity), static_cast<std::uint8_t>(low),
                           static_cast<std::uint8_t>(high), model);
        // Exact: computed in double, rounded once. QCOMPARE on floats would forgive the last bits.
        QCOMPARE(std::bit_cast<quint32>(got), std::bit_cast<quint32>(value));
    }

    void statusTexts_data() {
        columns<int, QString>("status", "text");
        const QString off = "Engine Off", on = "Engine Running";
        QTest::newRow("0") << 0 << off + "\r\nAdvanced Mode";
        QTest::newRow("2: one running bit is off") << 2 << off + "\r\nAdvanced Mode";
        QTest::newRow("4") << 4 << off + "\r\nAdvanced Mode";
        QTest::newRow("6") << 6 << on + "\r\nAdvanced Mode";
        QTest::newRow("0x10") << 0x10 << off + "\r\nBasic Mode";
        QTest::newRow("0x16") << 0x16 << on + "\r\nBasic Mode";
        QTest::newRow("0x20") << 0x20 << off + "\r\nAdvanced Mode\r\nSwap Mode";
        QTest::newRow("0x26") << 0x26 << on + "\r\nAdvanced Mode\r\nSwap Mode";
        QTest::newRow("0x30") << 0x30 << off + "\r\nBasic Mode\r\nSwap Mode";
        QTest::newRow("0x36") << 0x36 << on + "\r\nBasic Mode\r\nSwap Mode";
        QTest::newRow("0xFF: unshown bits change nothing")
            << 0xFF << on + "\r\nBasic Mode\r\nSwap Mode";
        QTest::newRow("0xC9") << 0xC9 << off + "\r\nAdvanced Mode";
    }
    void statusTexts() {
        QFETCH(int, status);
        QFETCH(QString, text);
        QCOMPARE(statusText(static_cast<std::int16_t>(status)), text);
    }

    void rpmReadout_roundsHalvesAwayFromZero() {
        QCOMPARE(rpmReadout(7968.75f), QStringLiteral("7969"));
        QCOMPARE(rpmReadout(62.5f), QStringLiteral("63"));
        QCOMPARE(rpmReadout(0.0f), QStringLiteral("0"));
        QCOMPARE(rpmReadout(10200.0f), QStringLiteral("10200"));  // no grouping separator
        QCOMPARE(rpmReadout(31.25f), QStringLiteral("31"));
        QCOMPARE(rpmReadout(-0.25f), QStringLiteral("0"));
        // Never a real speed, but must not reach an undefined float-to-integer cast.
        QCOMPARE(rpmReadout(1e20f), QStringLiteral("100000002004087734272"));
        QCOMPARE(rpmReadout(std::numeric_limits<float>::infinity()), QStringLiteral("0"));
        QCOMPARE(rpmReadout(std::numeric_limits<float>::quiet_NaN()), QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(ConversionsTest)
#include "ConversionsTest.moc"
