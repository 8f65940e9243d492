// Serves a ModuleEngine on a pseudo-terminal, at the line speed of the real cable.
#pragma once

#include "sim/ModuleEngine.h"
#include "sim/UniqueFd.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quillmark::sim {

class PtyModule final {
public:
    // 56000 baud, one start bit, eight data bits, one stop bit.
    static constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * 10 / 56000};

    // pace: each byte leaves one byte time after the one before, as on the cable; without
    // it the answers go out at once (after the engine's own delay).
    explicit PtyModule(ModuleEngine& engine, bool pace = true);
    ~PtyModule();
    PtyModule(const PtyModule&) = delete;
    PtyModule& operator=(const PtyModule&) = delete;

    // Opens a fresh pseudo-terminal and starts serving; throws std::system_error.
    void start();
    // Returns within a few milliseconds; answers still queued are dropped.
    void stop();
    bool isRunning() const { return thread_.joinable(); }

    // The device the program opens, for example "/dev/pts/7"; empty before start().
    std::string slavePath() const { return slavePath_; }

    // Sends `count` unsolicited bytes, queued behind any answer in progress.
    void flood(std::size_t count, std::uint8_t value = 0x55);

    std::uint64_t bytesSent() const { return sent_.load(); }
    // Bytes the terminal would not take because nobody read the other side for too long.
    std::uint64_t bytesDropped() const { return dropped_.load(); }

private:
    void run();
    void wake() const;

    ModuleEngine& engine_;
    bool pace_ = true;
    UniqueFd master_;
    UniqueFd heldSlave_;  // keeps the master from seeing a hang-up while the program is away
    UniqueFd wakeFd_;
    std::string slavePath_;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    std::mutex floodMutex_;
    std::vector<std::pair<std::size_t, std::uint8_t>> floods_;  // count, value
    std::atomic<std::uint64_t> sent_{0};
    std::atomic<std::uint64_t> dropped_{0};
};

}  // namespace quillmark::sim
