#include "realtime/RealTimeSession.h"

#include "link/LinkBringUp.h"
#include "link/ModelNames.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/MessageBoxes.h"
#include "realtime/RealTimeView.h"
#include "trap/ErrorTrap.h"

namespace quillmark {

namespace {

const QString kTitle = QStringLiteral("View Real Time Data");
const QString kNoLink =
    QStringLiteral("Cannot establish RS-232 link. Check cable and module power.");
const QString kInvalidFirmware =
    QStringLiteral("Error - invalid firmware ID. Unable to identify Corvane version.\r\n");

struct TachometerSetup {
    bool retardShown;
    double markLow;
    double markHigh;
    double scaleMax;
};

// The tachometer's top matches the speed conversion: 255 x 40 RPM on the VR, 255 x 31.25 on
// every other model (which also gets the design-time values back).
constexpr TachometerSetup kVrSetup{true, 9.0, 9.5, 10.0};
constexpr TachometerSetup kOtherSetup{false, 5.7, 6.0, 8.0};

}  // namespace

RealTimeSession::RealTimeSession(ModuleLink& link, SharedState& state, RealTimeView& view)
    : link_(link), state_(state), view_(view) {}

void RealTimeSession::mnuViewRealTime_Click() {
    // Opened from inside another conversation's wait, the open would send its commands into the
    // middle of that answer; it starts as soon as the link is free instead.
    if (link_.activity().busy()) {
        link_.activity().deferUntilIdle([this] { mnuViewRealTime_Click(); });
        return;
    }
    {
        LinkActivity::Hold hold(link_.activity());
        open();
    }
    link_.activity().runDeferred();
}

void RealTimeSession::open() {
    for (int attempt = 1; attempt <= kResyncAttempts; ++attempt) {
        ReSync(link_);
        if (link_.LinkOK) {
            break;
        }
    }
    if (!link_.LinkOK) {
        link_.boxes().show(link_.namingOtherHolders(kNoLink), msg_style::kOkExclamation, kTitle);
        bestEffort([this] { link_.closeIfOpen(); });
    } else {
        ReadFirmwareID(link_, state_);
        if (state_.FirmwareID.isEmpty() || !link_.LinkOK) {
            link_.boxes().show(kInvalidFirmware, msg_style::kOkExclamation, kTitle);
        }
    }
    setUpGaugesForModel();
    view_.setPanelVisible(true);
    state_.RealTimeActive = true;
    state_.CommErrorCount = 0;
}

void RealTimeSession::setUpGaugesForModel() {
    setUpGaugesFor(view_, state_.ModelName);
}

void setUpGaugesFor(RealTimeView& view, const QString& modelName) {
    const TachometerSetup& setup =
        modelName == QLatin1String(kModelCorvaneIIVR) ? kVrSetup : kOtherSetup;
    view.gauRetard().setGaugeVisible(setup.retardShown);
    view.gauTach().setTachMarkLow(setup.markLow);
    view.gauTach().setTachMarkHigh(setup.markHigh);
    view.gauTach().setTachScaleMax(setup.scaleMax);
}

double speedRedFrom(const QString& modelName) {
    const TachometerSetup& setup =
        modelName == QLatin1String(kModelCorvaneIIVR) ? kVrSetup : kOtherSetup;
    return setup.markHigh * 1000.0;
}

void RealTimeSession::cmdCloseRealTimeData_Click() {
    // A View chosen while the link was busy and still waiting its turn would otherwise reopen
    // the panel the user has just closed.
    link_.activity().cancelDeferred();
    view_.setPanelVisible(false);
    bestEffort([this] { link_.closeIfOpen(); });
    state_.RealTimeActive = false;
}

}  // namespace quillmark
