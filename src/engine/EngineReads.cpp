#include "engine/EngineReads.h"

#include "engine/ModelTraits.h"
#include "engine/ThrottleCurve.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/MessageBoxes.h"
#include "trap/ErrorDialog.h"
#include "trap/ErrorTrap.h"

#include <array>

namespace quillmark {

namespace {

// One row per quantity, at the quantity's own index.
constexpr std::array<ReadCommand, kQuantityCount> kReads = {{
    {Quantity::Throttle, 0x22, 2},
    {Quantity::Battery, 0x26, 2},
    {Quantity::EngineSpeed, 0x27, 2},
    {Quantity::Injector1, 0x29, 3},
    {Quantity::Injector2, 0x2A, 3},
    {Quantity::FuelMultiplier1, 0x2B, 2},
    {Quantity::FuelMultiplier2, 0x2C, 2},
    {Quantity::Retard, 0x2D, 2},
    {Quantity::Status, 0x2F, 2},
}};

// A missing or misplaced row would send another quantity's command; a default-filled row
// would carry the first quantity and fails here too.
constexpr bool eachRowAtItsQuantity() {
    for (std::size_t index = 0; index < kReads.size(); ++index) {
        if (static_cast<std::size_t>(kReads[index].quantity) != index) {
            return false;
        }
    }
    return true;
}
static_assert(eachRowAtItsQuantity(), "kReads needs one row per Quantity, in enum order");

const QString kValueTimeout = QString::fromLatin1(kTimeoutClickAbort);
const QString kStatusTimeout =
    QStringLiteral("RS-232 timeout. Check cable and click Abort or Retry.");

double convertInDouble(Quantity quantity, std::uint8_t b, std::uint8_t high,
                       const QString& modelName) {
    switch (quantity) {
        case Quantity::Throttle:
            return LinearizeTPSPercent(b);
        case Quantity::Battery:
            return b * 18 / 255.0;
        case Quantity::EngineSpeed:
            return b * modelTraits(modelName).rpmPerCount;
        case Quantity::Injector1:
        case Quantity::Injector2:
            return (high * 256 + b) / 250.0;
        case Quantity::FuelMultiplier1:
        case Quantity::FuelMultiplier2:
            return b * 100 / 128.0 - 100.0;
        case Quantity::Retard:
            return b * 0.0625;
        case Quantity::Status:
            return b;
    }
    return 0.0;
}

}  // namespace

const ReadCommand& readCommand(Quantity quantity) {
    return kReads.at(static_cast<std::size_t>(quantity));
}

float convertReading(Quantity quantity, std::uint8_t low, std::uint8_t high,
                     const QString& modelName) {
    return static_cast<float>(convertInDouble(quantity, low, high, modelName));
}

EngineReads::EngineReads(ModuleLink& link, SharedState& state,
                         std::function<void()> closeRealTimePanel)
    : link_(link), state_(state), closeRealTimePanel_(std::move(closeRealTimePanel)) {}

Reading EngineReads::read(Quantity quantity) {
    return transact(readCommand(quantity));
}

Reading EngineReads::transact(const ReadCommand& entry) {
    LinkActivity::Hold hold(link_.activity());
    const bool isStatus = entry.quantity == Quantity::Status;
    auto closePort = [this] { link_.closeQuietly(); };
    auto closePanel = [this] { bestEffort(closeRealTimePanel_); };

    // Giving up on a value read closes the port, then the panel. Giving up on the status read
    // closes the panel first; its Retry and Ignore only close the port, and the polling cycle
    // takes its lost-link path.
    std::function<void()> abortSteps = [=] {
        if (isStatus) {
            closePanel();
            closePort();
        } else {
            closePort();
            closePanel();
        }
    };
    ErrorTrap::AnswerMap answers = ErrorTrap::standardAnswers;
    if (isStatus) {
        answers = [](BoxAnswer answer) {
            return answer == BoxAnswer::Abort ? TrapAction::Abort : TrapAction::GiveUp;
        };
    }
    MessageBoxes& boxes = link_.boxes();
    ErrorTrap trap([&boxes](const ErrorRecord& error) { return ErrorDialog(boxes, error); },
                   abortSteps, answers, closePort);

    CountedExchange exchange{entry.command, entry.answerLength};
    std::uint8_t lead = 0;
    std::uint8_t low = 0;
    std::uint8_t high = 0;
    float result = 0.0f;
    std::vector<Step> steps;
    link_.appendCountedExchange(steps, trap, exchange,
                                ModuleLink::ShortAnswer::CloseAndRaiseTimeout,
                                isStatus ? kStatusTimeout : kValueTimeout);
    link_.appendReadByte(steps, &lead);
    link_.appendReadByte(steps, &low);
    if (entry.answerLength == 3) {
        link_.appendReadByte(steps, &high);
    }
    steps.push_back({[&] {
        // The speed scale follows the model identified last, compared on every call.
        result = convertReading(entry.quantity, low, high, state_.modelName);
        return Flow::Next;
    }});
    steps.push_back({[this, &exchange] {
        link_.pauseAfterAnswer(exchange);
        return Flow::Next;
    }});
    steps.push_back({[this] {
        link_.linkUp = true;
        return Flow::Next;
    }});
    trap.run(steps);
    Reading reading{result, {}};
    if (link_.linkUp) {
        reading.answer.append(char(lead)).append(char(low));
        if (entry.answerLength == 3) {
            reading.answer.append(char(high));
        }
    }
    return reading;
}

}  // namespace quillmark
