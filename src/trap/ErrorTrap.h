// The one error trap every procedure runs under: a procedure is a list of steps run in order,
// and a step that raises an error brings up the error dialog. Abort leaves through the
// procedure's closing steps, Retry runs the failed step again, Ignore goes on with the next.
//
// A worked example, a read of one answer byte:
//
//     std::uint8_t value = 0;
//     ErrorTrap trap(boxes, [&] { port.close(); });  // Abort's closing steps
//     const std::vector<Step> steps = {
//         nextStep([&] { port.write(command); }),      // raises on a dead line
//         {[&] { value = readByte(); return Flow::Next; },
//          /*retryFrom=*/StepTarget(0)},               // Retry sends the command again
//         nextStep([&] { pause(2); }),
//     };
//     trap.run(steps);  // Completed, Aborted or GaveUp; the dialog was shown on each failure
#pragma once

#include "platform/ErrorRecord.h"
#include "platform/MessageBoxes.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

namespace quillmark {

class MessageBoxes;

// For closing steps, which run after the user chose to leave: a failure there is not reported
// again and does not keep the following closing steps from running.
template <typename Op>
void bestEffort(Op&& op) {
    try {
        op();
    } catch (const RaisedError&) {
    }
}

// What a step tells the procedure when it did not fail.
enum class Flow {
    Next,    // go on with the next step
    Finish,  // the procedure ends here, normally
};

struct Step;

// Where Retry or Ignore takes a procedure: the step with a given label, the end of the
// procedure, or a step by its position (a position past the last step is the end, too).
class StepTarget {
public:
    constexpr StepTarget(std::size_t position) : position_(position) {}
    constexpr StepTarget(std::string_view label) : label_(label) {}
    static constexpr StepTarget end() { return StepTarget(kEnd); }

    // The position in `steps`; the end of the procedure is steps.size(). A label that no step
    // carries is a fault in the procedure, not in the line, so it ends the procedure too.
    std::size_t in(std::span<const Step> steps) const;

private:
    static constexpr std::size_t kEnd = static_cast<std::size_t>(-1);
    std::size_t position_ = kEnd;
    std::string_view label_;
};

struct Step {
    std::function<Flow()> run;
    // Where Retry restarts when this step fails; by default the step itself.
    std::optional<StepTarget> retryFrom = std::nullopt;
    // Where Ignore goes on when this step fails; by default the next step.
    std::optional<StepTarget> ignoreTo = std::nullopt;
    // The name a StepTarget finds this step by.
    std::string_view label = {};
};

// A step that always goes on: it runs `body`, which returns nothing, then the next step runs.
template <typename Body>
Step nextStep(Body body) {
    static_assert(std::is_void_v<std::invoke_result_t<Body&>>,
                  "a step that can end the procedure returns its Flow and is a plain Step");
    return Step{[body = std::move(body)] {
        body();
        return Flow::Next;
    }};
}

// What the trap does with the dialog's answer.
enum class TrapAction {
    Abort,   // run the abort closing steps, end the procedure
    Retry,   // run the failed step (or its retryFrom) again
    Ignore,  // go on with the step after the failed one
    GiveUp,  // run the give-up closing steps, end the procedure
};

enum class ProcedureEnd {
    Completed,  // every step ran, or a step finished the procedure
    Aborted,
    GaveUp,
};

class ErrorTrap {
public:
    using Dialog = std::function<BoxAnswer(const ErrorRecord&)>;
    using AnswerMap = std::function<TrapAction(BoxAnswer answer)>;

    // Abort 3 -> Abort, Retry 4 -> Retry, Ignore 5 -> Ignore, anything else -> Abort.
    static TrapAction standardAnswers(BoxAnswer answer);

    ErrorTrap(Dialog dialog, std::function<void()> abortSteps = {},
              AnswerMap answers = standardAnswers, std::function<void()> giveUpSteps = {});
    // The usual trap: the common error dialog on the given message boxes.
    ErrorTrap(MessageBoxes& boxes, std::function<void()> abortSteps = {});

    ProcedureEnd run(std::span<const Step> steps);

    // For a statement inside a step (a single test, read or yield of a wait): runs op; when it
    // raises, asks the dialog. Retry runs op again, Ignore returns no value so the caller goes
    // on with its next statement, Abort and GiveUp leave the whole procedure.
    template <typename Op>
    auto guard(Op&& op) -> std::conditional_t<std::is_void_v<std::invoke_result_t<Op&>>, bool,
                                              std::optional<std::invoke_result_t<Op&>>> {
        using R = std::invoke_result_t<Op&>;
        for (;;) {
            try {
                if constexpr (std::is_void_v<R>) {
                    op();
                    return true;
                } else {
                    return std::optional<R>(op());
                }
            } catch (const RaisedError& error) {
                switch (decide(error.record())) {
                    case TrapAction::Retry:
                        continue;
                    case TrapAction::Ignore:
                        if constexpr (std::is_void_v<R>) {
                            return false;
                        } else {
                            return std::nullopt;
                        }
                    case TrapAction::Abort:
                    case TrapAction::GiveUp:
                        throw Unwind{this, pendingAction_};
                }
            }
        }
    }

private:
    struct Unwind {
        const ErrorTrap* trap;
        TrapAction action;
    };

    TrapAction decide(const ErrorRecord& error);
    ProcedureEnd leave(TrapAction action);

    Dialog dialog_;
    std::function<void()> abortSteps_;
    AnswerMap answers_;
    std::function<void()> giveUpSteps_;
    TrapAction pendingAction_ = TrapAction::Abort;
};

}  // namespace quillmark
