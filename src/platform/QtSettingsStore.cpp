#include "platform/QtSettingsStore.h"

#include "platform/ErrorRecord.h"
#include "platform/SettingsFile.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace quillmark {

namespace {

// The organisation and the application share the name, so the store of "Quillmark" is
// ~/.config/Quillmark/Quillmark.conf on Linux and HKCU\Software\Quillmark\Quillmark on Windows.
QSettings storeOf(const QString& app) {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, app, app);
}

#ifndef Q_OS_WIN
// Reads the entry back through the same parser, from a copy: QSettings keeps a file it parsed
// until the file's time stamp changes, so a file written twice within the stamp's resolution
// would read back stale and report a fault that is not there. A copy that cannot be made
// checks nothing rather than report a false fault.
bool readsBack(const QString& fileName, const QString& entry, const QString& value) {
    const QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("read-back.conf"));
    if (!dir.isValid() || !QFile::copy(fileName, copy)) {
        return true;
    }
    return QSettings(copy, QSettings::IniFormat).value(entry).toString() == value;
}
#endif

}  // namespace

QString QtSettingsStore::get(const QString& app, const QString& section, const QString& key,
                             const QString& defaultValue) const {
    const QVariant value = storeOf(app).value(section + '/' + key, defaultValue);
    // The reader takes a value with a comma in it ("12,5", a folder named "Runs, 2024") for a
    // list, whose toString() is empty: the entry would read as missing.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

void QtSettingsStore::save(const QString& app, const QString& section, const QString& key,
                           const QString& value) {
    QSettings settings = storeOf(app);
    const QString entry = section + '/' + key;
    // The value is stored again at every start-up; a file that already holds it is left alone.
    if (settings.contains(entry) && settings.value(entry).toString() == value) {
        return;
    }
#ifdef Q_OS_WIN
    settings.setValue(entry, value);
    // Written at once: the program may end without unwinding, and the user expects the choice
    // to survive that.
    settings.sync();
    if (settings.status() == QSettings::AccessError) {
        throw RaisedError::platform(
            QStringLiteral("Settings"),
            QStringLiteral("Could not store the setting %1 in %2: the file cannot be written.")
                .arg(key, settings.fileName()));
    }
#else
    // QSettings would rewrite the user's file from what it understood of it, dropping comments
    // and any line it could not read; only the one entry is edited instead.
    SettingsFile(settings.fileName()).setValue(section, key, value);
    // A line the reader misunderstands (an open quote runs on over the lines after it) can hide
    // the entry just written; the user must hear that the choice will not come back.
    if (!readsBack(settings.fileName(), entry, value)) {
        throw RaisedError::platform(
            QStringLiteral("Settings"),
            QStringLiteral("The setting %1 was written to %2 but does not read back: a line "
                           "above it is not understood. Correct or remove that line.")
                .arg(key, settings.fileName()));
    }
#endif
}

void QtSettingsStore::remove(const QString& app, const QString& section, const QString& key) {
    QSettings settings = storeOf(app);
#ifdef Q_OS_WIN
    settings.remove(section + '/' + key);
    settings.sync();
#else
    SettingsFile(settings.fileName()).remove(section, key);
#endif
}

QString QtSettingsStore::unreadableLines(const QString& app) const {
#ifdef Q_OS_WIN
    (void)app;
    return {};
#else
    return SettingsFile(storeOf(app).fileName()).unreadableLinesMessage();
#endif
}

}  // namespace quillmark
