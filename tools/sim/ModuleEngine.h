// The engine module's behaviour: for each command byte, the answer and when it goes out.
#pragma once

#include "sim/Answer.h"
#include "sim/AnswerShaper.h"
#include "sim/CommandLog.h"
#include "sim/FaultPlan.h"
#include "sim/ModelIds.h"

#include <QByteArray>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace quillmark::sim {

// No I/O: the caller passes the time since the module started. Every member may be called
// from any thread; a pty thread answers while a test reconfigures the module.
class ModuleEngine final {
public:
    explicit ModuleEngine(Model model = Model::CorvaneIIVR);

    void setModel(Model model);
    // Any identifier text, sent byte for byte; the speed scale follows the model this text
    // names, exactly as the program will decide it.
    void setIdentifier(const QByteArray& text);
    QByteArray identifier() const;
    // The model the program will settle on for the identifier actually sent.
    Model effectiveModel() const;

    void setFault(FaultMode mode);
    void setFault(std::uint8_t command, FaultMode mode);
    void setSilentTries(int tries);
    void setSilentTries(std::uint8_t command, int tries);
    void stopAnsweringAfter(std::chrono::microseconds sinceStart);
    void stopAnsweringAfterCommands(long count);
    void clearFaults();

    // Freezes the data bytes (without the lead byte) a data command answers with.
    void setFixedData(std::uint8_t command, std::vector<std::uint8_t> data);
    void clearFixedData(std::uint8_t command);
    // Freezes the whole answer, lead byte included, as a recording holds it.
    void setFixedAnswer(std::uint8_t command, const QByteArray& answer);
    // Runs before each command is answered, outside the engine's lock, so it may reconfigure
    // the engine for that very answer.
    void setBeforeAnswer(std::function<void(std::uint8_t, std::chrono::microseconds)> hook);
    // Without a fixed lead byte it cycles through values that trip careless readers.
    void setLeadByte(std::optional<std::uint8_t> lead);

    Answer answer(std::uint8_t command, std::chrono::microseconds sinceStart);

    // nullopt until the command was received; empty when the last one went unanswered.
    std::optional<QByteArray> lastAnswer(std::uint8_t command) const;

    CommandLog& log() { return log_; }
    const CommandLog& log() const { return log_; }

private:
    std::uint8_t nextLead();
    Model effectiveModelLocked() const;

    mutable std::mutex mutex_;
    QByteArray identifier_;
    FaultPlan faults_;
    AnswerShaper shaper_;
    std::array<std::optional<std::vector<std::uint8_t>>, 256> fixed_{};
    std::array<std::optional<QByteArray>, 256> last_{};
    std::array<std::optional<std::uint8_t>, 256> fixedLeadFor_{};
    std::function<void(std::uint8_t, std::chrono::microseconds)> beforeAnswer_;
    std::optional<std::uint8_t> fixedLead_;
    std::size_t leadIndex_ = 0;
    CommandLog log_;
};

}  // namespace quillmark::sim
