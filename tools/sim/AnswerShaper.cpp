// Answer bytes for each fault.
#include "sim/AnswerShaper.h"

namespace quillmark::sim {

namespace {

// Bytes a careless reader might mistake for an ending or an acknowledge.
constexpr char kExtra[] = {char(kCarriageReturn), char(kAcknowledge)};
constexpr char kNotAcknowledge = 0x15;

QByteArray wellFormed(const CommandInfo& info, std::uint8_t lead, const QByteArray& payload) {
    QByteArray bytes(1, char(lead));
    switch (info.kind) {
        case AnswerKind::Acknowledge:
            bytes += char(kAcknowledge);
            break;
        case AnswerKind::Text:
            bytes += payload;
            bytes += char(kCarriageReturn);
            break;
        case AnswerKind::Data:
            bytes += payload;
            break;
    }
    return bytes;
}

}  // namespace

QByteArray AnswerShaper::identifierText(FaultMode mode, const QByteArray& text) {
    switch (mode) {
        case FaultMode::IdLowerCase:
            return QByteArrayLiteral("corvane ii");
        case FaultMode::IdNoSpace:
            return QByteArrayLiteral("Corvane IIVR");
        case FaultMode::IdEmpty:
        case FaultMode::CrFirst:
            return {};
        case FaultMode::IdZeroByte:
            // Ahead of the name, so a reader that stops at the zero loses the model too.
            return QByteArrayLiteral("FW") + '\0' + text;
        default:
            return text;
    }
}

Answer AnswerShaper::shape(FaultMode mode, const CommandInfo& info, std::uint8_t lead,
                           const QByteArray& payload) {
    const QByteArray normal = wellFormed(info, lead, payload);
    switch (mode) {
        case FaultMode::Silent:
            return {};
        case FaultMode::ShortAnswer:
            return {{{{}, normal.left(normal.size() - 1)}}};
        case FaultMode::SingleByte:
            return {{{{}, normal.left(1)}}};
        case FaultMode::LateAnswer:
            return {{{kLateDelay, normal}}};
        case FaultMode::WrongAck:
            return {{{{}, QByteArray(1, char(kAcknowledge)) + kNotAcknowledge}}};
        case FaultMode::ExtraBytes:
            return {{{{}, normal + QByteArray(kExtra, sizeof kExtra)}}};
        case FaultMode::Doubled:
            return {{{{}, normal + normal}}};
        case FaultMode::CrFirst:
            return {{{{}, QByteArray(1, char(kCarriageReturn))}}};
        case FaultMode::Garbage: {
            QByteArray noise(normal.size(), '\0');
            std::uniform_int_distribution<int> byte(0, 255);
            for (auto& c : noise) {
                c = char(byte(random_));
            }
            return {{{{}, noise}}};
        }
        case FaultMode::LateCr:
            return {{{{}, normal.left(normal.size() - 1)},
                     {kLateDelay, QByteArray(1, char(kCarriageReturn))}}};
        case FaultMode::IdLowerCase:
        case FaultMode::IdNoSpace:
        case FaultMode::IdEmpty:
        case FaultMode::IdZeroByte:
            return {{{{}, wellFormed(info, lead, identifierText(mode, payload))}}};
        case FaultMode::None:
            break;
    }
    return {{{{}, normal}}};
}

}  // namespace quillmark::sim
