#include "platform/QtSettingsStore.h"

#include "platform/ErrorRecord.h"

#include <QSettings>

namespace quillmark {

namespace {

// The organisation and the application share the name, so the store of "Quillmark" is
// ~/.config/Quillmark/Quillmark.conf on Linux and HKCU\Software\Quillmark\Quillmark on Windows.
QSettings storeOf(const QString& app) {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, app, app);
}

}  // namespace

QString QtSettingsStore::get(const QString& app, const QString& section, const QString& key,
                             const QString& defaultValue) const {
    return storeOf(app).value(section + '/' + key, defaultValue).toString();
}

void QtSettingsStore::save(const QString& app, const QString& section, const QString& key,
                           const QString& value) {
    QSettings settings = storeOf(app);
    settings.setValue(section + '/' + key, value);
    // Written at once: the program may end without unwinding, and the user expects the choice
    // to survive that.
    settings.sync();
    // A line QSettings could not parse leaves FormatError behind although the value was
    // written; only AccessError means the file could not be written.
    if (settings.status() == QSettings::AccessError) {
        throw RaisedError::platform(
            QStringLiteral("Settings"),
            QStringLiteral("Could not store the setting %1 in %2: the file cannot be written.")
                .arg(key, settings.fileName()));
    }
}

void QtSettingsStore::remove(const QString& app, const QString& section, const QString& key) {
    QSettings settings = storeOf(app);
    settings.remove(section + '/' + key);
    settings.sync();
}

}  // namespace quillmark
