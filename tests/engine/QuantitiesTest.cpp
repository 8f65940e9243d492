// The quantity table: each row agrees with itself, with the gauge the polling cycle sets and
// with the recording's header, which files already written rely on.
#include "DataColumns.h"
#include "SpyViews.h"
#include "engine/PollingCycle.h"
#include "engine/Quantities.h"
#include "recording/MlgExport.h"
#include "recording/RecordingFormat.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace quillmark;
using namespace quillmark::test;

class QuantitiesTest final : public QObject {
    Q_OBJECT
private slots:
    void eachRow_agreesWithItsUses_data() {
        columns<int, QString>("index", "gauge");
        const QStringList gauges{"gauTach",     "gauTPS",    "gauFuelMult1", "gauFuelMult2",
                                 "gauBatVolts", "gauInj1PW", "gauInj2PW",    "gauRetard"};
        for (std::size_t i = 0; i < kQuantities.size(); ++i) {
            QTest::newRow(kQuantities[i].key) << int(i) << gauges[qsizetype(i)];
        }
    }
    void eachRow_agreesWithItsUses() {
        QFETCH(int, index);
        QFETCH(QString, gauge);
        const QuantityFacts& facts = kQuantities[std::size_t(index)];
        const QString name = QString::fromLatin1(facts.name);
        const QString unit = QString::fromLatin1(facts.unit);
        QCOMPARE(quantityIndex(facts.quantity), std::optional<std::size_t>(std::size_t(index)));
        QCOMPARE(QString::fromLatin1(facts.column), QStringLiteral("%1 (%2)").arg(name, unit));
        QVERIFY(facts.decimals >= 0 && facts.decimals <= facts.fineDecimals);

        // The key is the name and unit in lower case, apart by '_', and names one quantity.
        const QString key = QString::fromLatin1(facts.key);
        QVERIFY(QRegularExpression(QStringLiteral("^[a-z]+(_[a-z]+)+$")).match(key).hasMatch());
        QVERIFY(key.startsWith(name.toLower().replace(' ', '_') + '_'));
        QSet<QString> keys;
        for (const QuantityFacts& other : kQuantities) {
            keys.insert(QString::fromLatin1(other.key));
        }
        QCOMPARE(keys.size(), qsizetype(kQuantities.size()));

        // The gauge named is the one the polling cycle puts the value on.
        QCOMPARE(QString::fromLatin1(facts.gauge), gauge);
        SpyRealTimeView view;
        const QMap<QString, const void*> spies{
            {"gauTPS", &view.tps},         {"gauFuelMult1", &view.fuel1},
            {"gauFuelMult2", &view.fuel2}, {"gauBatVolts", &view.bat},
            {"gauInj1PW", &view.inj1},     {"gauInj2PW", &view.inj2},
            {"gauRetard", &view.retard}};
        const auto polled =
            std::find_if(kPolledValues.begin(), kPolledValues.end(),
                         [&](const PolledValue& p) { return p.quantity == facts.quantity; });
        QVERIFY(polled != kPolledValues.end());
        const void* set = polled->bar != nullptr ? &(view.*polled->bar)() : nullptr;
        QCOMPARE(set, spies.value(gauge, nullptr));

        // Its column in the file and its channel in the export.
        const QList<QByteArray> header = QByteArray(kRecordingHeader).split(',');
        QCOMPARE(header.value(4 + index), QByteArray(facts.column));
        const MlgChannel& channel = kMlgChannels[2 + std::size_t(index)];
        QCOMPARE(QString::fromLatin1(channel.name), name);
        QCOMPARE(QString::fromLatin1(channel.units), unit);
    }

    void header_staysAsFilesHaveIt() {
        const QByteArray withoutMarker =
            "Time (s),Clock,Status (raw),Status,Engine speed (rpm),Throttle (%),Fuel front (%),"
            "Fuel rear (%),Battery (V),Injector front (ms),Injector rear (ms),Retard (deg),Answers";
        QCOMPARE(QByteArray(kRecordingHeaderWithoutMarker), withoutMarker);
        QCOMPARE(QByteArray(kRecordingHeader), withoutMarker + ",Marker");
        QCOMPARE(kRecordingColumns, int(QByteArray(kRecordingHeader).count(',')) + 1);
    }
};

QTEST_GUILESS_MAIN(QuantitiesTest)
#include "QuantitiesTest.moc"
