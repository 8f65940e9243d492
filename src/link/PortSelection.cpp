#include "link/PortSelection.h"

#include "link/PortSetupControls.h"
#include "platform/ErrorRecord.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "trap/ErrorTrap.h"

#include <QLocale>

#include <array>
#include <cmath>
#include <limits>

namespace quillmark {

namespace {

const QString kSection = QStringLiteral("Properties");
const QString kKey = QStringLiteral("CommPort");
const QString kDefaultPort = QStringLiteral("1");

RaisedError settingError(const QString& description) {
    return RaisedError::platform(QStringLiteral("Port setup"), description);
}

}  // namespace

QString portListEntry(int portNumber) {
    return PortNames::displayName(portNumber);
}

LineSettings moduleLineSettings() {
    LineSettings line;
    line.settings = QStringLiteral("56000,N,8,1");
    line.nullDiscard = false;  // received zero bytes are data like any other
    line.rThreshold = 1;
    line.inputLen = 1;
    line.dtrEnable = true;
    line.rtsEnable = false;
    line.inBufferSize = 256;
    return line;
}

std::int16_t storedPortNumber(const QString& stored) {
    bool isNumber = false;
    const double value = QLocale::c().toDouble(stored.trimmed(), &isNumber);
    if (!isNumber || !std::isfinite(value)) {
        throw settingError(
            QStringLiteral("The stored port setting \"%1\" is not a number. Choose the port "
                           "again under Communications, Port Setup.")
                .arg(stored));
    }
    const double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        throw settingError(
            QStringLiteral("The stored port setting \"%1\" is out of range. Choose the port "
                           "again under Communications, Port Setup.")
                .arg(stored));
    }
    return static_cast<std::int16_t>(rounded);
}

PortSelection::PortSelection(PortSetupControls& controls, SettingsStore& settings, SerialPort& port,
                             MessageBoxes& boxes, const QString& applicationTitle)
    : controls_(controls),
      settings_(settings),
      port_(port),
      boxes_(boxes),
      applicationTitle_(applicationTitle),
      names_(settings) {}

void PortSelection::loadStoredPort() {
    PortNumber = storedPortNumber(settings_.get(applicationTitle_, kSection, kKey, kDefaultPort));
}

void PortSelection::fillPortList() {
    for (int number = 1; number <= kPortListEntries; ++number) {
        controls_.addPortListItem(portListEntry(number));
    }
}

void PortSelection::selectStoredPort() {
    const int index = PortNumber - 1;
    if (index < -1 || index >= controls_.portListCount()) {
        throw settingError(QStringLiteral("The stored port number %1 names no port: choose a port "
                                          "from Com1 to Com%2 under Communications, Port Setup.")
                               .arg(PortNumber)
                               .arg(kPortListEntries));
    }
    controls_.setPortListIndex(index);
    // Selecting an entry runs its handler as a user's choice would; the value 0 selects none.
    if (index >= 0) {
        cboPort_Click();
    }
}

void PortSelection::applyLineSettings() {
    port_.applySettings(moduleLineSettings());
}

void PortSelection::reportUnreadableSettings() {
    const QString unreadable = settings_.unreadableLines(applicationTitle_);
    if (!unreadable.isEmpty()) {
        boxes_.show(unreadable, BoxStyle::OkExclamation, QStringLiteral("Settings"));
    }
}

void PortSelection::cboPort_Click() {
    ErrorTrap trap(boxes_);
    const std::array<Step, 3> steps = {{
        {[this] {
            PortNumber = static_cast<std::int16_t>(controls_.portListIndex() + 1);
            return Flow::Next;
        }},
        {[this] {
            settings_.save(applicationTitle_, kSection, kKey, QString::number(PortNumber));
            return Flow::Next;
        }},
        {[this] {
            if (port_.isOpen()) {
                port_.close();
            }
            return Flow::Next;
        }},
    }};
    trap.run(steps);
}

void PortSelection::mnuPortSetup_Click() {
    controls_.setPortSetupVisible(true);
}

void PortSelection::cmdPortSelectOK_Click() {
    controls_.setPortSetupVisible(false);
}

}  // namespace quillmark
