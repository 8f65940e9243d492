#include "shell/alarms/AlarmController.h"

#include "engine/ModelTraits.h"
#include "engine/SampleFanOut.h"
#include "link/SharedState.h"
#include "platform/MessageBoxes.h"
#include "shell/alarms/AlarmsDialog.h"
#include "shell/main/MainWindowWidget.h"
#include "trap/ErrorTrap.h"
#include "widgets/gauges/RealTimePanelWidget.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace quillmark {

namespace {
// A dialog that must wait for the link to be free looks again this often.
constexpr int kIdleCheckMs = 50;
}  // namespace

AlarmController::AlarmController(MainWindowWidget& window, SharedState& state,
                                 SampleFanOut& samples, AlarmPlatform platform)
    : QObject(&window),
      window_(window),
      state_(state),
      platform_(platform),
      panel_(window.realTimePanel()),
      line_(window.panelFootLine()) {
    menuEntry_ = new QAction(QString::fromUtf8(kAlarmsCaption), window.viewMenu());
    menuEntry_->setObjectName(QStringLiteral("mnuAlarms"));
    window.viewMenu()->addAction(menuEntry_);
    connect(menuEntry_, &QAction::triggered, this, &AlarmController::editLimits);

    QFont bold = line_->font();
    bold.setBold(true);
    line_->setFont(bold);
    QPalette colours = line_->palette();
    colours.setColor(QPalette::WindowText, QColor(192, 0, 0));
    line_->setPalette(colours);

    monitor_.addListener([this](const AlarmEvent& event) { onAlarm(event); });
    // A check: its alarms' markers go on the sample that raised them.
    samples.addCheck([this](const Sample& sample) { onSample(sample); });
    connect(panel_, &RealTimePanelWidget::panelClosed, this, [this] {
        // The next panel starts with every alarm armed again.
        monitor_.reset();
        clearGaugeAlarms();
    });
    // A limit typed wrong by hand is left out here; the dialog shows it for correcting.
    useLimits(storedLimits(platform_.settings).limits);
}

void AlarmController::useLimits(const AlarmLimits& limits) {
    monitor_.setLimits(limits);
    clearGaugeAlarms();
    lineText_.clear();
    line_->clear();
    line_->setToolTip(QString());
    window_.setPanelFootLineShown(!limits.empty());
}

void AlarmController::editLimits() {
    if (platform_.linkBusy && platform_.linkBusy()) {
        QTimer::singleShot(kIdleCheckMs, this, &AlarmController::editLimits);
        return;
    }
    AlarmsDialog dialog(
        storedTypedLimits(platform_.settings),
        [this](const TypedLimits& typed) { return acceptable(typed); }, &window_);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const AlarmLimits limits = limitsFromTexts(dialog.typed()).limits;
    ErrorTrap trap(platform_.boxes);
    const std::array<Step, 1> store = {nextStep([&] { storeLimits(platform_.settings, limits); })};
    trap.run(store);
    // Limits that could not be stored still hold for this run; the user was told.
    useLimits(limits);
}

bool AlarmController::acceptable(const TypedLimits& typed) {
    const QString problem = typedLimitsProblem(typed);
    if (problem.isEmpty()) {
        return true;
    }
    platform_.boxes.show(problem, BoxStyle::OkExclamation, QString::fromLatin1(kAlarmsTitle));
    return false;
}

void AlarmController::onAlarm(const AlarmEvent& event) {
    // Alarms of one tick share the line and its time; a later tick's alarm replaces them.
    if (event.when == lineTime_ && !lineText_.isEmpty()) {
        lineText_ += QStringLiteral("; ") + event.what();
    } else {
        lineText_ = event.text();
    }
    lineTime_ = event.when;
    line_->setText(line_->fontMetrics().elidedText(lineText_, Qt::ElideRight, line_->width()));
    line_->setToolTip(lineText_);
}

void AlarmController::onSample(const Sample& sample) {
    if (monitor_.limits().empty()) {
        return;
    }
    // One time for the whole tick, so that its alarms are known to belong together.
    monitor_.check(sample.values, modelTraits(state_.modelName).showsRetard,
                   QDateTime::currentDateTime());
    showGaugeAlarms(sample);
}

void AlarmController::showGaugeAlarms(const Sample& sample) {
    for (const AlarmQuantity& quantity : kAlarmQuantities) {
        if (!monitor_.activeSide(quantity.quantity)) {
            panel_->setGaugeAlarm(quantity.quantity, QString());
        } else if (const auto value = sample.value(quantity.quantity)) {
            // The caption follows the value for as long as the alarm is on.
            panel_->setGaugeAlarm(quantity.quantity, valueWithUnit(quantity, *value));
        }
    }
}

void AlarmController::clearGaugeAlarms() {
    for (const AlarmQuantity& quantity : kAlarmQuantities) {
        panel_->setGaugeAlarm(quantity.quantity, QString());
    }
}

}  // namespace quillmark
