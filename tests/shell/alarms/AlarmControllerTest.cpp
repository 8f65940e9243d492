// The alarms in the window: with no limit set the window is pixel for pixel the window without
// the alarms; a value past a limit shows on its gauge and on the line under the panel; the
// dialog stores only limits it can read back.
#include "FakeTime.h"
#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "engine/SampleFanOut.h"
#include "link/SharedState.h"
#include "shell/alarms/AlarmController.h"
#include "shell/alarms/AlarmsDialog.h"
#include "shell/main/MainWindowWidget.h"
#include "widgets/gauges/BarGaugeWidget.h"
#include "widgets/gauges/DialGaugeWidget.h"
#include "widgets/gauges/RealTimePanelWidget.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quillmark;
using namespace quillmark::test;

namespace {

const QString kApp = QStringLiteral("Quillmark");

// A window whose panel shows the same live values, with or without the alarms behind it.
struct Window {
    MainWindowWidget widget;
    SharedState state;
    FakeClock clock;
    SampleFanOut samples;
    MemorySettingsStore settings;
    ScriptedMessageBoxes boxes;
    std::unique_ptr<AlarmController> alarms;

    explicit Window(bool withAlarms, const QMap<QString, QString>& stored = {}) {
        state.modelName = QStringLiteral("Corvane II VR");
        for (auto it = stored.begin(); it != stored.end(); ++it) {
            settings.values.insert(MemorySettingsStore::path(kApp, "Alarms", it.key()), it.value());
        }
        if (withAlarms) {
            alarms = std::make_unique<AlarmController>(widget, state, samples,
                                                       AlarmPlatform{settings, boxes, {}});
        }
        widget.realTime().setPanelVisible(true);
        widget.show();
    }
    // One tick as the polling cycle shows it and reports it.
    void tick(float battery, float rpm) {
        RealTimeView& view = widget.realTime();
        view.gauBatVolts().setPointerValue(battery);
        view.gauTach().setValue(rpm / 1000.0);
        view.gauTach().setCaption(QString::number(rpm));
        Sample sample;
        sample.status = 1;
        sample.setValue(Quantity::Battery, battery);
        sample.setValue(Quantity::EngineSpeed, rpm);
        samples.publish(sample);
        clock.advance(500ms);
    }
    QImage image() { return widget.centralWidget()->grab().toImage(); }
    BarGaugeWidget* battery() {
        return widget.realTimePanel()->findChild<BarGaugeWidget*>(QStringLiteral("gauBatVolts"));
    }
    DialGaugeWidget* tach() {
        return widget.realTimePanel()->findChild<DialGaugeWidget*>(QStringLiteral("gauTach"));
    }
};

}  // namespace

class AlarmControllerTest final : public QObject {
    Q_OBJECT

private slots:
    void nothingSetLooksExactlyAsWithoutAlarms() {
        Window without(false);
        Window with(true);
        for (Window* window : {&without, &with}) {
            window->tick(9.5f, 9800.0f);
        }
        QVERIFY(with.widget.panelFootLine()->isHidden());
        const QImage before = without.image();
        const QImage after = with.image();
        QVERIFY(!before.isNull());
        QCOMPARE(after.size(), before.size());
        QVERIFY(after == before);
    }

    void alarmShowsOnItsGaugeAndUnderThePanel() {
        Window plain(false);
        Window window(true, {{"Battery Low", "12.0"}, {"Engine speed High", "6000"}});
        QVERIFY(!window.widget.panelFootLine()->isHidden());
        QVERIFY(window.widget.centralWidget()->height() > plain.widget.centralWidget()->height());
        QVERIFY(window.widget.panelFootLine()->text().isEmpty());

        window.tick(11.6f, 6500.0f);
        QCOMPARE(window.battery()->alarmCaption(), QStringLiteral("11.6 V"));
        QVERIFY(window.tach()->alarmShown());
        // The whole line is the tool tip; the line shows what fits.
        const QString line = window.widget.panelFootLine()->toolTip();
        QVERIFY2(line.endsWith(" Engine speed 6500 rpm above 6000 rpm; Battery 11.6 V below "
                               "12.0 V"),
                 qPrintable(line));
        // Still past: the caption follows the value, the line does not repeat the alarm.
        window.tick(11.5f, 6500.0f);
        QCOMPARE(window.battery()->alarmCaption(), QStringLiteral("11.5 V"));
        QCOMPARE(window.widget.panelFootLine()->toolTip(), line);
        // Back inside by the margin: the gauges are as usual again, the line keeps what happened.
        window.tick(12.5f, 5500.0f);
        QVERIFY(window.battery()->alarmCaption().isEmpty());
        QVERIFY(!window.tach()->alarmShown());
        QCOMPARE(window.widget.panelFootLine()->toolTip(), line);
    }

    void dialogStoresOnlyLimitsItCanReadBack() {
        Window window(true);
        QStringList steps;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<AlarmsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            dialog->field(4, AlarmSide::Low)->setText(QStringLiteral("11,5"));
            ok->click();
            steps << (dialog->isVisible() ? "open after 11,5" : "closed after 11,5");
            dialog->field(4, AlarmSide::Low)->setText(QStringLiteral("11.5"));
            dialog->field(4, AlarmSide::High)->setText(QStringLiteral("11.5"));
            ok->click();
            steps << (dialog->isVisible() ? "open after 11.5 to 11.5" : "closed");
            dialog->field(4, AlarmSide::High)->clear();
            ok->click();
        });
        window.alarms->editLimits();
        QCOMPARE(steps, (QStringList{"open after 11,5", "open after 11.5 to 11.5"}));
        QCOMPARE(window.boxes.shown.size(), 2);
        QVERIFY(window.boxes.shown[0].text.startsWith("Battery Low: \"11,5\" is not a number."));
        QCOMPARE(window.boxes.shown[1].text,
                 QStringLiteral("Battery: the low limit must be below the high limit."));
        QCOMPARE(window.settings.values,
                 (QMap<QString, QString>{{"Quillmark/Alarms/Battery Low", "11.5"}}));
        QVERIFY(!window.widget.panelFootLine()->isHidden());
        window.tick(11.0f, 1000.0f);
        QCOMPARE(window.battery()->alarmCaption(), QStringLiteral("11.0 V"));
    }
};

QTEST_MAIN(AlarmControllerTest)
#include "AlarmControllerTest.moc"
