// The per-user settings store: text values by application, section and key.
#pragma once

#include <QString>

namespace quillmark {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString get(const QString& app, const QString& section, const QString& key,
                        const QString& defaultValue) const = 0;
    // Throws RaisedError when the value cannot be stored.
    virtual void save(const QString& app, const QString& section, const QString& key,
                      const QString& value) = 0;
    virtual void remove(const QString& app, const QString& section, const QString& key) = 0;
    // What the user should be told about hand-edited lines of the store that cannot be read
    // (naming each line and how to write it); empty when there are none.
    virtual QString unreadableLines(const QString& app) const = 0;
};

}  // namespace quillmark
