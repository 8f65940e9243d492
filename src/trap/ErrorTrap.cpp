#include "trap/ErrorTrap.h"

#include "platform/MessageBoxes.h"
#include "trap/ErrorDialog.h"

#include <algorithm>

namespace quillmark {

std::size_t StepTarget::in(std::span<const Step> steps) const {
    if (label_.empty()) {
        return std::min(position_, steps.size());
    }
    for (std::size_t index = 0; index < steps.size(); ++index) {
        if (steps[index].label == label_) {
            return index;
        }
    }
    return steps.size();
}

TrapAction ErrorTrap::standardAnswers(BoxAnswer answer) {
    switch (answer) {
        case BoxAnswer::Retry:
            return TrapAction::Retry;
        case BoxAnswer::Ignore:
            return TrapAction::Ignore;
        default:
            return TrapAction::Abort;
    }
}

ErrorTrap::ErrorTrap(Dialog dialog, std::function<void()> abortSteps, AnswerMap answers,
                     std::function<void()> giveUpSteps)
    : dialog_(std::move(dialog)),
      abortSteps_(std::move(abortSteps)),
      answers_(std::move(answers)),
      giveUpSteps_(std::move(giveUpSteps)) {}

ErrorTrap::ErrorTrap(MessageBoxes& boxes, std::function<void()> abortSteps)
    : ErrorTrap([&boxes](const ErrorRecord& error) { return ErrorDialog(boxes, error); },
                std::move(abortSteps)) {}

TrapAction ErrorTrap::decide(const ErrorRecord& error) {
    pendingAction_ = answers_(dialog_(error));
    return pendingAction_;
}

ProcedureEnd ErrorTrap::leave(TrapAction action) {
    const bool givingUp = action == TrapAction::GiveUp;
    const auto& closing = givingUp ? giveUpSteps_ : abortSteps_;
    // Closing steps run outside the trap and are best effort: the user already chose to leave,
    // so a port that fails to close must neither bring the dialog back nor escape the procedure.
    if (closing) {
        bestEffort(closing);
    }
    return givingUp ? ProcedureEnd::GaveUp : ProcedureEnd::Aborted;
}

ProcedureEnd ErrorTrap::run(std::span<const Step> steps) {
    std::size_t index = 0;
    while (index < steps.size()) {
        const Step& step = steps[index];
        try {
            if (step.run() == Flow::Finish) {
                return ProcedureEnd::Completed;
            }
            ++index;
        } catch (const RaisedError& error) {
            switch (decide(error.record())) {
                case TrapAction::Retry:
                    index = step.retryFrom ? step.retryFrom->in(steps) : index;
                    break;
                case TrapAction::Ignore:
                    index = step.ignoreTo ? step.ignoreTo->in(steps) : index + 1;
                    break;
                case TrapAction::Abort:
                case TrapAction::GiveUp:
                    return leave(pendingAction_);
            }
        } catch (const Unwind& unwind) {
            if (unwind.trap != this) {
                throw;
            }
            return leave(unwind.action);
        }
    }
    return ProcedureEnd::Completed;
}

}  // namespace quillmark
