// Settings entry of the simulated port.
#include "sim/PortRegistration.h"

#include "link/PortNames.h"
#include "platform/ErrorRecord.h"
#include "platform/ProgramName.h"
#include "platform/SettingsFile.h"

#include <QSettings>

namespace quillmark::sim {

namespace {

const QString kPorts = QString::fromLatin1(kPortsSection);

}  // namespace

QString PortRegistration::settingsFilePath() {
    // The native format on Linux is the INI file ~/.config/Quillmark/Quillmark.conf.
    const QString program = QString::fromLatin1(kProgramName);
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, program, program).fileName();
}

PortRegistration::PortRegistration(int number, const QString& path) : number_(number) {
    const QSettings current(settingsFilePath(), QSettings::NativeFormat);
    const QString entry = kPorts + '/' + key(number_);
    if (current.contains(entry)) {
        previous_ = current.value(entry).toString();
    }
    SettingsFile(settingsFilePath()).setValue(kPorts, key(number_), path);
}

PortRegistration::~PortRegistration() {
    try {
        const SettingsFile file(settingsFilePath());
        if (previous_) {
            file.setValue(kPorts, key(number_), *previous_);
        } else {
            file.remove(kPorts, key(number_));
        }
    } catch (const RaisedError&) {
        // Nothing more can be done on the way out; the file keeps the simulator's entry.
    }
}

QString PortRegistration::key(int number) {
    return PortNames::displayName(number);
}

}  // namespace quillmark::sim
