// Answers per command, built from the drive cycle, frozen data and the fault plan.
#include "sim/ModuleEngine.h"

#include "sim/CommandTable.h"
#include "sim/DataEncoder.h"
#include "sim/EngineProfile.h"

#include <array>

namespace quillmark::sim {

namespace {

// The lead byte carries no meaning, so it varies: an acknowledge code, a 0xFF that the
// program's parity marking doubles, a letter of the identifier. None is a carriage return,
// which would end the identifier before it starts.
constexpr std::array<std::uint8_t, 6> kLeadBytes{0x00, 0x5A, 0xFF, kAcknowledge, 0xA5, 'C'};

QByteArray toBytes(const std::vector<std::uint8_t>& data) {
    QByteArray bytes;
    for (const auto b : data) {
        bytes += char(b);
    }
    return bytes;
}

}  // namespace

ModuleEngine::ModuleEngine(Model model) {
    setModel(model);
}

void ModuleEngine::setModel(Model model) {
    const auto name = modelInfo(model).identifier;
    setIdentifier(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

void ModuleEngine::setIdentifier(const QByteArray& text) {
    const std::lock_guard lock(mutex_);
    identifier_ = text;
}

QByteArray ModuleEngine::identifier() const {
    const std::lock_guard lock(mutex_);
    return identifier_;
}

Model ModuleEngine::effectiveModel() const {
    const std::lock_guard lock(mutex_);
    return effectiveModelLocked();
}

Model ModuleEngine::effectiveModelLocked() const {
    const FaultMode idFault = faults_.configured(command::kFirmwareId);
    return modelForIdentifier(AnswerShaper::identifierText(idFault, identifier_));
}

void ModuleEngine::setFault(FaultMode mode) {
    const std::lock_guard lock(mutex_);
    faults_.setFault(mode);
}

void ModuleEngine::setFault(std::uint8_t command, FaultMode mode) {
    const std::lock_guard lock(mutex_);
    faults_.setFault(command, mode);
}

void ModuleEngine::setSilentTries(int tries) {
    const std::lock_guard lock(mutex_);
    faults_.setSilentTries(tries);
}

void ModuleEngine::setSilentTries(std::uint8_t command, int tries) {
    const std::lock_guard lock(mutex_);
    faults_.setSilentTries(command, tries);
}

void ModuleEngine::stopAnsweringAfter(std::chrono::microseconds sinceStart) {
    const std::lock_guard lock(mutex_);
    faults_.stopAnsweringAfter(sinceStart);
}

void ModuleEngine::stopAnsweringAfterCommands(long count) {
    const std::lock_guard lock(mutex_);
    faults_.stopAnsweringAfterCommands(count);
}

void ModuleEngine::clearFaults() {
    const std::lock_guard lock(mutex_);
    faults_.clearFaults();
}

void ModuleEngine::setFixedData(std::uint8_t command, std::vector<std::uint8_t> data) {
    const std::lock_guard lock(mutex_);
    fixed_[command] = std::move(data);
}

void ModuleEngine::clearFixedData(std::uint8_t command) {
    const std::lock_guard lock(mutex_);
    fixed_[command].reset();
    fixedLeadFor_[command].reset();
}

void ModuleEngine::setFixedAnswer(std::uint8_t command, const QByteArray& answer) {
    const std::lock_guard lock(mutex_);
    fixedLeadFor_[command] =
        answer.isEmpty() ? std::nullopt : std::optional<std::uint8_t>(std::uint8_t(answer[0]));
    fixed_[command] =
        std::vector<std::uint8_t>(answer.begin() + (answer.isEmpty() ? 0 : 1), answer.end());
}

void ModuleEngine::setBeforeAnswer(
    std::function<void(std::uint8_t, std::chrono::microseconds)> hook) {
    const std::lock_guard lock(mutex_);
    beforeAnswer_ = std::move(hook);
}

void ModuleEngine::setLeadByte(std::optional<std::uint8_t> lead) {
    const std::lock_guard lock(mutex_);
    fixedLead_ = lead;
}

std::uint8_t ModuleEngine::nextLead() {
    if (fixedLead_) {
        return *fixedLead_;
    }
    return kLeadBytes[leadIndex_++ % kLeadBytes.size()];
}

Answer ModuleEngine::answer(std::uint8_t command, std::chrono::microseconds sinceStart) {
    log_.append(sinceStart, command);
    std::function<void(std::uint8_t, std::chrono::microseconds)> hook;
    {
        const std::lock_guard lock(mutex_);
        hook = beforeAnswer_;
    }
    if (hook) {
        hook(command, sinceStart);
    }
    const std::lock_guard lock(mutex_);
    const auto info = findCommand(command);
    if (!info) {
        last_[command] = QByteArray();
        return {};
    }
    const FaultMode mode = faults_.decide(command, sinceStart);

    QByteArray payload;
    if (info->kind == AnswerKind::Text) {
        payload = identifier_;
    } else if (info->kind == AnswerKind::Data) {
        payload = fixed_[command]
                      ? toBytes(*fixed_[command])
                      : toBytes(DataEncoder::encode(command, EngineProfile::at(sinceStart),
                                                    effectiveModelLocked()));
    }
    const std::uint8_t lead = fixedLeadFor_[command] ? *fixedLeadFor_[command] : nextLead();
    Answer result = shaper_.shape(mode, *info, lead, payload);
    last_[command] = result.bytes();
    return result;
}

std::optional<QByteArray> ModuleEngine::lastAnswer(std::uint8_t command) const {
    const std::lock_guard lock(mutex_);
    return last_[command];
}

}  // namespace quillmark::sim
