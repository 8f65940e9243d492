// What the module sends back for one command: bytes, each chunk with its own delay.
#pragma once

#include <QByteArray>

#include <chrono>
#include <vector>

namespace quillmark::sim {

struct AnswerPart {
    std::chrono::microseconds delay{0};  // counted from the arrival of the command
    QByteArray bytes;
};

struct Answer {
    std::vector<AnswerPart> parts;  // in sending order; empty when the module stays silent

    bool silent() const { return parts.empty(); }
    QByteArray bytes() const {
        QByteArray all;
        for (const auto& part : parts) {
            all += part.bytes;
        }
        return all;
    }
};

// A module that answers late does so after this, well past the program's one-second deadline.
inline constexpr std::chrono::microseconds kLateDelay{1'200'000};

}  // namespace quillmark::sim
