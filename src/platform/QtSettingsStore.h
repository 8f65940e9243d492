// The per-user settings store on QSettings: one settings file per application name.
#pragma once

#include "platform/SettingsStore.h"

namespace quillmark {

class QtSettingsStore final : public SettingsStore {
public:
    QString get(const QString& app, const QString& section, const QString& key,
                const QString& defaultValue) const override;
    void save(const QString& app, const QString& section, const QString& key,
              const QString& value) override;
    void remove(const QString& app, const QString& section, const QString& key) override;
    QString unreadableLines(const QString& app) const override;
};

}  // namespace quillmark
