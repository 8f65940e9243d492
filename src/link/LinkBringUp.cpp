#include "link/LinkBringUp.h"

#include "link/ModelNames.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/Clock.h"
#include "platform/ErrorRecord.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"

#include <array>
#include <string_view>

namespace quillmark {

namespace {

// Longer names first: "Corvane II VR" also contains "Corvane II".
constexpr std::array<std::string_view, 2> kModelsByPrecedence = {kModelCorvaneIIVR,
                                                                 kModelCorvaneII};
constexpr std::string_view kPlainModel = kModelCorvane;

const QString kIdentifierTimeout = QString::fromLatin1(kTimeoutClickAbort);

}  // namespace

QString modelForFirmware(const QString& firmwareId) {
    for (const auto model : kModelsByPrecedence) {
        QString name = QString::fromLatin1(model.data(), qsizetype(model.size()));
        if (firmwareId.contains(name, Qt::CaseInsensitive)) {
            return name;
        }
    }
    return QString::fromLatin1(kPlainModel.data(), qsizetype(kPlainModel.size()));
}

void resync(ModuleLink& link) {
    LinkActivity::Hold hold(link.activity());
    ErrorTrap trap(link.boxes(), [&link] { link.closeIfOpen(); });
    CountedExchange exchange{kResyncCommand, 2};
    std::uint8_t answer = 0;
    std::vector<Step> steps;
    link.appendCountedExchange(steps, trap, exchange, ModuleLink::ShortAnswer::EndQuietly, {});
    link.appendReadByte(steps, nullptr);
    link.appendReadByte(steps, &answer);
    steps.push_back(nextStep([&link] { link.delay(kPauseAfterAnswerMs); }));
    steps.push_back(nextStep([&link, &answer] {
        if (answer == kAcknowledge) {
            link.linkUp = true;
        }
    }));
    trap.run(steps);
}

void readFirmwareId(ModuleLink& link, SharedState& state) {
    LinkActivity::Hold hold(link.activity());
    ErrorTrap trap(link.boxes(), [&link] { link.closeIfOpen(); });
    SerialPort& port = link.port();
    std::chrono::nanoseconds deadline{};
    QString text;
    bool carriageReturnInTime = false;

    std::vector<Step> steps;
    steps.push_back(nextStep([&] { state.firmwareId.clear(); }));
    link.appendOpening(steps, kFirmwareIdCommand, deadline);
    steps.push_back(nextStep([&] {
        text.clear();
        carriageReturnInTime = false;
    }));
    // The text wait yields on every pass, so the window stays responsive while the identifier
    // comes in; with nothing waiting it sleeps until the next byte or event instead of spinning.
    steps.push_back(nextStep([&] {
        // Reads one waiting byte into the text; true once it is the carriage return.
        const auto takeByte = [&] {
            const auto byte = trap.guard([&] { return port.readOne(); });
            if (byte && *byte == kCarriageReturn) {
                carriageReturnInTime = true;
            } else if (byte) {
                text.append(QChar::fromLatin1(static_cast<char>(*byte)));
            }
            return carriageReturnInTime;
        };
        while (!link.pastDeadline(deadline)) {
            const auto waiting = trap.guard([&] { return port.waitingCount(); });
            if (waiting && *waiting > 0) {
                if (takeByte()) {
                    break;
                }
                trap.guard([&] { link.pump().yield(); });
            } else {
                trap.guard([&] { link.pump().waitForEvents(deadline - link.clock().now()); });
            }
        }
        if (!carriageReturnInTime) {
            // A yield can come back after the deadline while the rest of the answer is already
            // waiting unread: what the port holds when the wait ends had arrived in time.
            const auto waiting = trap.guard([&] { return port.waitingCount(); });
            for (int left = waiting.value_or(0); left > 0 && !takeByte(); --left) {
            }
        }
    }));
    link.appendTimeoutCheck(steps, carriageReturnInTime, kIdentifierTimeout);
    steps.push_back(nextStep([&] {
        // The first character is dropped; a carriage return as the very first byte leaves an
        // identifier with no text, which the caller reports as invalid.
        state.firmwareId = text.mid(1);
    }));
    steps.push_back(nextStep([&] { state.modelName = modelForFirmware(state.firmwareId); }));
    steps.push_back(nextStep([&] { link.closeIfOpen(); }));
    steps.push_back(nextStep([&] { link.delay(kPauseAfterAnswerMs); }));
    steps.push_back(nextStep([&] { link.linkUp = true; }));
    trap.run(steps);
}

}  // namespace quillmark
