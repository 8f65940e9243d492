// The settings as the logger reads them when it is given a device path: Com1 stands for that
// device, everything else is the window's settings.
#pragma once

#include "link/PortNames.h"
#include "platform/SettingsStore.h"

namespace quillmark {

class DevicePortSettings final : public SettingsStore {
public:
    static constexpr int kPortNumber = 1;

    DevicePortSettings(SettingsStore& settings, QString device)
        : settings_(settings), device_(std::move(device)) {}

    QString get(const QString& app, const QString& section, const QString& key,
                const QString& defaultValue) const override {
        if (!device_.isEmpty() && section == QLatin1String(kPortsSection) &&
            key == PortNames::displayName(kPortNumber)) {
            return device_;
        }
        return settings_.get(app, section, key, defaultValue);
    }
    void save(const QString& app, const QString& section, const QString& key,
              const QString& value) override {
        settings_.save(app, section, key, value);
    }
    void remove(const QString& app, const QString& section, const QString& key) override {
        settings_.remove(app, section, key);
    }
    QString unreadableLines(const QString& app) const override {
        return settings_.unreadableLines(app);
    }

private:
    SettingsStore& settings_;
    QString device_;
};

}  // namespace quillmark
