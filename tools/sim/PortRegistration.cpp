// Settings entry of the simulated port.
#include "sim/PortRegistration.h"

#include <QSettings>

namespace quillmark::sim {

PortRegistration::PortRegistration(int number, const QString& path) : number_(number) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quillmark"),
                QStringLiteral("Quillmark"));
    s.beginGroup(QStringLiteral("Ports"));
    s.setValue(key(number_), path);
    s.endGroup();
    s.sync();
}

PortRegistration::~PortRegistration() {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quillmark"),
                QStringLiteral("Quillmark"));
    s.beginGroup(QStringLiteral("Ports"));
    s.remove(key(number_));
    s.endGroup();
    s.sync();
}

}  // namespace quillmark::sim
