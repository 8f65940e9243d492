// A settings store in memory, with a switch to make saving fail.
#pragma once

#include "platform/ErrorRecord.h"
#include "platform/SettingsStore.h"

#include <QMap>

namespace quillmark::test {

class MemorySettingsStore final : public SettingsStore {
public:
    QMap<QString, QString> values;  // "app/section/key" -> value
    bool failSaving = false;
    QString unreadable;  // what unreadableLines() reports
    int saves = 0;

    static QString path(const QString& app, const QString& section, const QString& key) {
        return app + '/' + section + '/' + key;
    }
    QString get(const QString& app, const QString& section, const QString& key,
                const QString& defaultValue) const override {
        return values.value(path(app, section, key), defaultValue);
    }
    void save(const QString& app, const QString& section, const QString& key,
              const QString& value) override {
        if (failSaving) {
            throw RaisedError::platform(QStringLiteral("Settings"),
                                        QStringLiteral("The settings store is read-only."));
        }
        ++saves;
        values.insert(path(app, section, key), value);
    }
    void remove(const QString& app, const QString& section, const QString& key) override {
        values.remove(path(app, section, key));
    }
    QString unreadableLines(const QString&) const override { return unreadable; }
};

}  // namespace quillmark::test
