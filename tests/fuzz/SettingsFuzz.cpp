// The per-user settings: any text stored as "CommPort", and any contents of the settings file
// itself. Reading must never crash, a stored port must come back as the number it says, and a
// choice saved over a damaged file must read back and keep the port mapping and the lines the
// program could not read.
#include "link/PortNames.h"
#include "link/PortSelection.h"
#include "platform/ErrorRecord.h"
#include "platform/QtSettingsStore.h"
#include "platform/SettingsFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace quillmark;

namespace {

// Names the broken expectation before stopping, so the fuzzer's report says which one.
void require(bool holds, int line = __builtin_LINE()) {
    if (!holds) {
        std::fprintf(stderr, "expectation at line %d does not hold\n", line);
        std::abort();
    }
}

const QString kApp = QStringLiteral("Quillmark");
std::unique_ptr<QTemporaryDir> configHome;

QString settingsFilePath() {
    return configHome->path() + QStringLiteral("/Quillmark/Quillmark.conf");
}

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
    QDir().mkpath(configHome->path() + QStringLiteral("/Quillmark"));
    {
        QFile file(settingsFilePath());
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
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
    require(names.device(5) == mappedBefore);
    // The user's lines stay, those the program cannot read among them.
    QFile written(settingsFilePath());
    require(written.open(QIODevice::ReadOnly));
    const QByteArray after = written.readAll();
    QStringList unreadableAfter;
    for (const auto& line : IniLines(after).unreadableLines()) {
        unreadableAfter.append(line.text);
    }
    for (const auto& line : IniLines(contents).unreadableLines()) {
        require(unreadableAfter.contains(line.text));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    configHome = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", configHome->path().toLocal8Bit());
    return 0;
}

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
