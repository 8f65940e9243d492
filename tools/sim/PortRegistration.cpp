// Settings entry of the simulated port.
#include "sim/PortRegistration.h"

#include "link/PortNames.h"
#include "platform/ProgramName.h"

#include <QSettings>

namespace quillmark::sim {

namespace {

// The program's own settings file and section, where it looks up the device behind ComN.
template <typename Edit>
void editPortsSection(Edit edit) {
    const QString program = QString::fromLatin1(kProgramName);
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, program, program);
    s.beginGroup(QString::fromLatin1(kPortsSection));
    edit(s);
    s.endGroup();
    s.sync();
}

}  // namespace

PortRegistration::PortRegistration(int number, const QString& path) : number_(number) {
    editPortsSection([&](QSettings& s) { s.setValue(key(number_), path); });
}

PortRegistration::~PortRegistration() {
    editPortsSection([&](QSettings& s) { s.remove(key(number_)); });
}

QString PortRegistration::key(int number) {
    return PortNames::displayName(number);
}

}  // namespace quillmark::sim
