// The link's answer handling: the module answers every command with whatever bytes the input
// says, at whatever moment, and the user answers every box from the input too. Resync,
// identification, each read and whole polling ticks run on that. Nothing may crash or hang,
// Abort never leaves the port open, and the line-error count never wraps.
#include "FuzzRequire.h"
#include "LinkHarness.h"
#include "SpyViews.h"
#include "link/CommEvents.h"
#include "link/LinkBringUp.h"
#include "realtime/EngineReads.h"
#include "realtime/PollingCycle.h"
#include "realtime/RealTimeSession.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
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
constexpr std::array kValueReads{&EngineReads::ReadTPS,       &EngineReads::ReadBAT,
                                 &EngineReads::ReadRPM,       &EngineReads::ReadINJ1,
                                 &EngineReads::ReadINJ2,      &EngineReads::ReadFuelMult1,
                                 &EngineReads::ReadFuelMult2, &EngineReads::ReadRetard};
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Rig rig;
    rig.port.setEventHandler([&rig] { rig.events.handleLineEvent(); });
    // Start near the top of the count as well, where it must stop rather than wrap.
    rig.state.CommErrorCount = input.ConsumeBool() ? std::int16_t(32760) : std::int16_t(0);

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
        switch (input.ConsumeIntegralInRange(0, 6)) {
            case 0:
                ReSync(rig.link);
                break;
            case 1:
                ReadFirmwareID(rig.link, rig.state);
                break;
            case 2: {
                rig.state.RealTimeActive = input.ConsumeBool();
                rig.state.ModelName = input.ConsumeBool() ? QStringLiteral("Corvane II VR")
                                                          : QStringLiteral("Corvane");
                const auto read = input.ConsumeIntegralInRange<std::size_t>(0, kValueReads.size());
                if (read == kValueReads.size()) {
                    rig.reads.ReadStatus();
                } else {
                    (rig.reads.*kValueReads[read])();
                }
                break;
            }
            case 3:
                rig.state.RealTimeActive = true;
                rig.view.panelVisible = true;
                rig.state.ModelName = QStringLiteral("Corvane II VR");
                rig.polling.pollOnce();
                break;
            case 4:
                rig.state.RealTimeActive = input.ConsumeBool();
                rig.port.raiseEvent(input.ConsumeBool() ? input.PickValueInArray(kLineEvents)
                                                        : LineEvent{input.ConsumeIntegral<std::int32_t>()});
                rig.pump.yield();
                break;
            case 5:
                rig.port.failures[QString::fromLatin1(input.PickValueInArray(kFailingOperations))] =
                    input.ConsumeIntegralInRange(-1, 3);
                break;
            default:
                rig.port.failures.clear();
                rig.clock.advance(std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 3000)));
                break;
        }
        require(!rig.link.activity().busy());
        require(rig.state.CommErrorCount >= 0);
        if (abortedSinceLastWrite && rig.port.written.size() == writtenAtAbort) {
            require(!rig.port.isOpen());
        }
    }
    return 0;
}
