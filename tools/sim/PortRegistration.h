// Lists the simulator as a numbered port in the per-user settings for as long as it lives.
#pragma once

#include <QString>

namespace quillmark::sim {

class PortRegistration final {
public:
    // Writes group "Ports", key "Com<number>" = path for organisation and application
    // "Quillmark"; the entry goes again when the object is destroyed.
    PortRegistration(int number, const QString& path);
    ~PortRegistration();
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;

    static QString key(int number) { return QStringLiteral("Com%1").arg(number); }

private:
    int number_ = 0;
};

}  // namespace quillmark::sim
