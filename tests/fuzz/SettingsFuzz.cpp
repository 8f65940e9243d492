// The per-user settings: any text stored as "CommPort", and any contents of the settings file
// itself. Reading must never crash, a stored port must come back as the number it says, and a
// choice saved over a damaged file must read back and keep the port mapping and the lines the
// program could not read.
#include "FuzzRequire.h"
#include "link/PortNames.h"
#include "link/PortSelection.h"
#include "platform/ErrorRecord.h"
#include "platform/QtSettingsStore.h"
#include "platform/SettingsFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace quillmark;

namespace {

using fuzz::require;

const QString kApp = QStringLiteral("Quillmark");

// Each input gets a settings folder of its own, so nothing of an earlier input is read: no file
// it left, and no parse QSettings kept of a file at the same path with the same size and stamp.
class FreshConfigHome {
public:
    FreshConfigHome() {
        require(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
        require(QDir().mkpath(dir_.filePath(kApp)));
    }
    QString settingsFilePath() const {
        return dir_.filePath(QStringLiteral("Quillmark/Quillmark.conf"));
    }

private:
    QTemporaryDir dir_;
};

void checkStoredText(const QString& stored) {
    try {
        const std::int16_t number = storedPortNumber(stored);
        // The number reads back the same once written the way the program writes it.
        require(storedPortNumber(QString::number(number)) == number);
    } catch (const RaisedError& raised) {
        // The user is told what was stored and where to put it right.
        require(raised.record().description.contains(QStringLiteral("Port Setup")));
    }
}

void checkSettingsFile(const QByteArray& contents) {
    const FreshConfigHome home;
    const QString settingsFilePath = home.settingsFilePath();
    {
        // Stamped in the past, so the program's own save, however soon, changes the stamp and
        // QSettings reads the file again. Flushed first, or closing would stamp it again.
        QFile file(settingsFilePath);
        require(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() &&
                file.flush() &&
                file.setFileTime(QDateTime::fromSecsSinceEpoch(946684800),
                                 QFileDevice::FileModificationTime));
    }
    QtSettingsStore store;
    checkStoredText(store.get(kApp, QStringLiteral("Properties"), QStringLiteral("CommPort"),
                              QStringLiteral("1")));
    const PortNames names(store);
    for (int number : {1, 5, 255}) {
        require(!names.device(number).isEmpty());
    }

    const QString mappedBefore = names.device(5);
    try {
        store.save(kApp, QStringLiteral("Properties"), QStringLiteral("CommPort"),
                   QStringLiteral("7"));
    } catch (const RaisedError& raised) {
        // Told, rather than a choice that silently does not come back.
        require(raised.record().description.contains(QStringLiteral("does not read back")));
        return;
    }
    require(store.get(kApp, QStringLiteral("Properties"), QStringLiteral("CommPort"), {}) ==
            QStringLiteral("7"));
    // Every line the user wrote is still there but the one entry replaced: the mapping can
    // only read differently where the old entry's broken quoting hid the lines after it.
    QFile saved(settingsFilePath);
    require(saved.open(QIODevice::ReadOnly));
    QByteArrayList left = saved.readAll().replace("\r\n", "\n").split('\n');
    int missing = 0;
    for (const QByteArray& line : QByteArray(contents).replace("\r\n", "\n").split('\n')) {
        const qsizetype at = left.indexOf(line);
        if (at < 0) {
            ++missing;
        } else {
            left.removeAt(at);
        }
    }
    require(missing <= 1);
    // Read through QSettings the mapping must not move either, for the printable text a person
    // writes: with quotes or control bytes QSettings reads lines differently from the editor.
    const bool printable = std::all_of(contents.begin(), contents.end(), [](char c) {
        return c == '\n' || (c >= ' ' && c <= '~' && c != '"');
    });
    if (printable) {
        require(names.device(5) == mappedBefore);
    }
    // The user's lines stay, those the program cannot read among them.
    QFile written(settingsFilePath);
    require(written.open(QIODevice::ReadOnly));
    const QByteArray after = written.readAll();
    QStringList unreadableAfter;
    // Compared without trailing blanks: a lone CR at the very end of a file may go.
    for (const auto& line : IniLines(after).unreadableLines()) {
        unreadableAfter.append(line.text.trimmed());
    }
    for (const auto& line : IniLines(contents).unreadableLines()) {
        require(unreadableAfter.contains(line.text.trimmed()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool wholeFile = input.ConsumeBool();
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));
    if (wholeFile) {
        checkSettingsFile(bytes);
    } else {
        checkStoredText(QString::fromUtf8(bytes));
    }
    return 0;
}
