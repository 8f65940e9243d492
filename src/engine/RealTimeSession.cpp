#include "engine/RealTimeSession.h"

#include "link/LinkBringUp.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/MessageBoxes.h"
#include "engine/ModelTraits.h"
#include "engine/RealTimeView.h"
#include "trap/ErrorTrap.h"

namespace quillmark {

namespace {

const QString kTitle = QStringLiteral("View Real Time Data");
const QString kNoLink =
    QStringLiteral("Cannot establish RS-232 link. Check cable and module power.");
const QString kInvalidFirmware =
    QStringLiteral("Error - invalid firmware ID. Unable to identify Corvane version.\r\n");

}  // namespace

RealTimeSession::RealTimeSession(ModuleLink& link, SharedState& state, RealTimeView& view)
    : link_(link), state_(state), view_(&view) {}

RealTimeSession::RealTimeSession(ModuleLink& link, SharedState& state)
    : link_(link), state_(state) {}

void RealTimeSession::openWhenLinkFree() {
    // Opened from inside another conversation's wait, the open would send its commands into the
    // middle of that answer; it starts as soon as the link is free instead.
    if (link_.activity().busy()) {
        link_.activity().deferUntilIdle([this] { openWhenLinkFree(); });
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
        resync(link_);
        if (link_.linkUp) {
            break;
        }
    }
    if (!link_.linkUp) {
        link_.boxes().show(link_.namingOtherHolders(kNoLink), BoxStyle::OkExclamation, kTitle);
        link_.closeQuietly();
    } else {
        readFirmwareId(link_, state_);
        if (state_.firmwareId.isEmpty() || !link_.linkUp) {
            link_.boxes().show(kInvalidFirmware, BoxStyle::OkExclamation, kTitle);
        }
    }
    setUpGaugesForModel();
    if (view_ != nullptr) {
        view_->setPanelVisible(true);
    }
    state_.panelActive = true;
    state_.commErrorCount = 0;
}

void RealTimeSession::setUpGaugesForModel() {
    if (view_ != nullptr) {
        setUpGaugesFor(*view_, state_.modelName);
    }
}

void setUpGaugesFor(RealTimeView& view, const QString& modelName) {
    const ModelTraits& traits = modelTraits(modelName);
    view.gauRetard().setGaugeVisible(traits.showsRetard);
    view.gauTach().setTachMarkLow(traits.tachMarkLow);
    view.gauTach().setTachMarkHigh(traits.tachMarkHigh);
    view.gauTach().setTachScaleMax(traits.tachScaleMax);
}

void RealTimeSession::close() {
    // A View chosen while the link was busy and still waiting its turn would otherwise reopen
    // the panel the user has just closed.
    link_.activity().cancelDeferred();
    if (view_ != nullptr) {
        view_->setPanelVisible(false);
    }
    link_.closeQuietly();
    state_.panelActive = false;
}

}  // namespace quillmark
