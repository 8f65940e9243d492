// Lists the simulator as a numbered port in the per-user settings for as long as it lives.
#pragma once

#include <QString>

namespace quillmark::sim {

class PortRegistration final {
public:
    // Writes key "Com<number>" = path in the section "Ports" of the program's settings; the
    // entry goes again when the object is destroyed.
    PortRegistration(int number, const QString& path);
    ~PortRegistration();
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;

    // The port's name as the program lists it: "Com<number>".
    static QString key(int number);

private:
    int number_ = 0;
};

}  // namespace quillmark::sim
