// The link's answer handling: the module answers every command with whatever bytes the input
// says, at whatever moment, and the user answers every box from the input too. Resync,
// identification, each read and whole polling ticks run on that. Nothing may crash or hang,
// Abort never leaves the port open, and the line-error count never wraps. A tick on a sound line
// with every answer well formed and in time, whatever happened before it, shows no box and puts
// on each gauge the conversion of the bytes the module served for that quantity.
#include "FuzzRequire.h"
#include "LinkHarness.h"
#include "SpyViews.h"
#include "link/CommEvents.h"
#include "link/LinkBringUp.h"
#include "link/ModelNames.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"
#include "engine/RealTimeSession.h"
#include "engine/StatusText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <map>
#include <cstdio>
#include <cstdlib>

using namespace quillmark;
using namespace quillmark::test;

namespace {

using fuzz::require;

constexpr std::array kBoxAnswers{BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Abort,
                                 BoxAnswer::Retry, BoxAnswer::Ignore};
constexpr std::array kLineEvents{LineEvent::Receive,  LineEvent::Framing,
                                 LineEvent::Overrun,  LineEvent::RxOverflow,
                                 LineEvent::RxParity, LineEvent::DeviceControlBlock};
// The status read returns the raw byte; every other read a converted value.
constexpr std::array kValueReads{
    Quantity::Throttle,  Quantity::Battery,         Quantity::EngineSpeed,     Quantity::Injector1,
    Quantity::Injector2, Quantity::FuelMultiplier1, Quantity::FuelMultiplier2, Quantity::Retard};
constexpr std::array kModels{kModelCorvaneIIVR, kModelCorvaneII, kModelCorvane};
constexpr std::array kFailingOperations{"open", "write", "count", "read", "discard", "wait"};
// A user who keeps pressing Retry on a dead line would wait for ever; the fuzzer's user gives up.
constexpr int kBoxesBeforeGivingUp = 40;
constexpr int kOperationsPerInput = 48;

struct Rig : LinkHarness {
    SpyRealTimeView view;
    RealTimeSession session{link, state, view};
    EngineReads reads{link, state, [this] { session.close(); }};
    PollingCycle polling{link, state, reads, view, [this] { session.close(); }};
    CommEvents events{port, boxes, state};
};

// Every pointer a tick can set, so that a value left from before cannot pass for a new one.
constexpr double kUnset = -999;

void clearGauges(SpyRealTimeView& view) {
    for (SpyBarGauge* gauge :
         {&view.tps, &view.fuel1, &view.fuel2, &view.bat, &view.inj1, &view.inj2, &view.retard}) {
        gauge->value = kUnset;
    }
    view.tach.value = kUnset;
    view.status.clear();
}

// One tick on a sound line: no operation fails, anything still on its way from earlier answers
// has arrived (and each command discards it), and the module answers every command with a lead
// byte and the data bytes of that read's length, within the deadline.
void checkCleanTick(Rig& rig, FuzzedDataProvider& input) {
    rig.port.failures.clear();
    rig.clock.advance(std::chrono::seconds(2));
    for (int pass = 0; pass < 8 && rig.pump.hasPending(); ++pass) {
        rig.pump.yield();
    }
    if (rig.pump.hasPending()) {
        return;
    }
    const QString model = QString::fromLatin1(input.PickValueInArray(kModels));
    rig.state.modelName = model;
    rig.state.panelActive = true;
    rig.state.escapePressed = false;
    rig.view.panelVisible = true;
    clearGauges(rig.view);

    std::map<std::uint8_t, QByteArray> served;
    auto module = std::move(rig.port.module);
    std::map<std::uint8_t, int> answerLengths;
    for (std::size_t quantity = 0; quantity < kQuantityCount; ++quantity) {
        const ReadCommand& read = readCommand(static_cast<Quantity>(quantity));
        answerLengths[read.command] = read.answerLength;
    }
    rig.port.module = [&](std::uint8_t command) -> std::optional<ScriptedAnswer> {
        const int length = answerLengths.at(command);
        const std::string data = input.ConsumeBytesAsString(std::size_t(length));
        QByteArray answer(data.data(), qsizetype(data.size()));
        answer.resize(length, '\0');
        served[command] = answer;
        const auto delay = std::chrono::microseconds(input.ConsumeIntegralInRange(0, 900'000));
        return ScriptedAnswer{answer, delay};
    };
    const qsizetype boxesBefore = rig.boxes.shown.size();
    rig.polling.pollOnce();
    rig.port.module = std::move(module);

    require(rig.boxes.shown.size() == boxesBefore);
    require(rig.link.linkUp && rig.port.isOpen() && rig.view.panelVisible);
    // The bytes the module served for a quantity, converted as the program converts them.
    const auto shows = [&](Quantity quantity) {
        const QByteArray& answer = served[readCommand(quantity).command];
        const bool twoBytes = readCommand(quantity).answerLength == 3;
        return convertReading(quantity, std::uint8_t(answer[1]),
                              twoBytes ? std::uint8_t(answer[2]) : std::uint8_t(0), model);
    };
    require(rig.view.status == statusText(std::uint8_t(served[0x2F][1])));
    require(rig.view.tps.value == shows(Quantity::Throttle));
    require(rig.view.fuel1.value == shows(Quantity::FuelMultiplier1));
    require(rig.view.fuel2.value == shows(Quantity::FuelMultiplier2));
    require(rig.view.bat.value == shows(Quantity::Battery));
    require(rig.view.tach.value == static_cast<float>(shows(Quantity::EngineSpeed) / 1000.0));
    require(rig.view.inj1.value == shows(Quantity::Injector1));
    require(rig.view.inj2.value == shows(Quantity::Injector2));
    const bool hasRetard = model != QLatin1String(kModelCorvane);
    require(rig.view.retard.value == (hasRetard ? shows(Quantity::Retard) : kUnset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Rig rig;
    rig.port.setEventHandler([&rig] { rig.events.handleLineEvent(); });
    // Start near the top of the count as well, where it must stop rather than wrap.
    rig.state.commErrorCount = input.ConsumeBool() ? std::int16_t(32760) : std::int16_t(0);

    rig.port.module = [&input](std::uint8_t) -> std::optional<ScriptedAnswer> {
        if (input.ConsumeBool()) {
            return std::nullopt;
        }
        const auto length = input.ConsumeIntegralInRange<std::size_t>(0, 24);
        const std::string bytes = input.ConsumeBytesAsString(length);
        // Up to 1.6 s: past the one-second deadline as well as inside it.
        const auto delay = std::chrono::microseconds(input.ConsumeIntegralInRange(0, 1'600'000));
        return ScriptedAnswer{QByteArray(bytes.data(), qsizetype(bytes.size())), delay};
    };

    int boxesThisOperation = 0;
    bool abortedSinceLastWrite = false;
    qsizetype writtenAtAbort = 0;
    rig.boxes.whileOpen = [&] {
        const BoxStyle style = rig.boxes.shown.last().style;
        // A modal box runs pending window events, serial events among them.
        rig.pump.yield();
        ++boxesThisOperation;
        const BoxAnswer answer = boxesThisOperation > kBoxesBeforeGivingUp
                                     ? BoxAnswer::Abort
                                     : input.PickValueInArray(kBoxAnswers);
        rig.boxes.answers.push_back(answer);
        if (style == BoxStyle::AbortRetryIgnoreCritical) {
            abortedSinceLastWrite = answer == BoxAnswer::Abort;
            writtenAtAbort = rig.port.written.size();
        }
    };

    for (int operation = 0; operation < kOperationsPerInput && input.remaining_bytes() > 0;
         ++operation) {
        boxesThisOperation = 0;
        abortedSinceLastWrite = false;
        switch (input.ConsumeIntegralInRange(0, 7)) {
            case 0:
                resync(rig.link);
                break;
            case 1:
                readFirmwareId(rig.link, rig.state);
                break;
            case 2: {
                rig.state.panelActive = input.ConsumeBool();
                rig.state.modelName = input.ConsumeBool() ? QStringLiteral("Corvane II VR")
                                                          : QStringLiteral("Corvane");
                const auto read = input.ConsumeIntegralInRange<std::size_t>(0, kValueReads.size());
                rig.reads.read(read == kValueReads.size() ? Quantity::Status : kValueReads[read]);
                break;
            }
            case 3:
                rig.state.panelActive = true;
                rig.view.panelVisible = true;
                rig.state.modelName = QStringLiteral("Corvane II VR");
                rig.polling.pollOnce();
                break;
            case 4:
                rig.state.panelActive = input.ConsumeBool();
                rig.port.raiseEvent(input.ConsumeBool()
                                        ? input.PickValueInArray(kLineEvents)
                                        : LineEvent{input.ConsumeIntegral<std::int32_t>()});
                rig.pump.yield();
                break;
            case 5:
                rig.port.failures[QString::fromLatin1(input.PickValueInArray(kFailingOperations))] =
                    input.ConsumeIntegralInRange(-1, 3);
                break;
            case 6:
                rig.port.failures.clear();
                rig.clock.advance(std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 3000)));
                break;
            default:
                checkCleanTick(rig, input);
                break;
        }
        require(rig.state.commErrorCount >= 0);
        if (abortedSinceLastWrite && rig.port.written.size() == writtenAtAbort) {
            require(!rig.port.isOpen());
        }
    }
    return 0;
}
