// Lists the simulator as a numbered port in the per-user settings for as long as it lives.
#pragma once

#include <QString>

#include <optional>

namespace quillmark::sim {

class PortRegistration final {
public:
    // Writes group "Ports", key "Com<number>" = path in the settings file of organisation and
    // application "Quillmark" (the program's name), editing only that line. When the object is
    // destroyed the entry gets back the value the user had mapped there, or goes again when there
    // was none. Throws RaisedError when the settings file cannot be read or written.
    PortRegistration(int number, const QString& path);
    ~PortRegistration();
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;

    // The port's name as the program lists it: "Com<number>".
    static QString key(int number);
    // The settings file the entry is written to.
    static QString settingsFilePath();
    // The user's own mapping of the number, which comes back at the end.
    const std::optional<QString>& previousValue() const { return previous_; }

private:
    int number_ = 0;
    std::optional<QString> previous_;
};

}  // namespace quillmark::sim
