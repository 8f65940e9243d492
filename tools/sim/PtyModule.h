// Serves a ModuleEngine on a pseudo-terminal, at the line speed of the real cable.
#pragma once

#include "sim/ModuleEngine.h"
#include "sim/UniqueFd.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
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

    // Serves on a time line that the caller moves (a test's compressed clock) instead of the
    // machine's: answers are due on it, and the serving thread waits for notifyTimeMoved()
    // instead of sleeping. Unpaced only. Call before start().
    using TimeLine = std::function<std::chrono::steady_clock::time_point()>;
    void serveOn(TimeLine timeLine);
    void notifyTimeMoved() const { wake(); }

    // What the serving thread had done when it last came to rest: every command byte read so
    // far answered, every answer byte due by `at` on the time line sent, the next one due at
    // `nextDue` (never, when nothing is queued).
    struct Rest {
        std::uint64_t bytesReceived = 0;
        std::uint64_t bytesSent = 0;
        std::chrono::steady_clock::time_point at{};
        std::optional<std::chrono::steady_clock::time_point> nextDue;
    };
    Rest lastRest() const;
    // Waits until the thread comes to rest in a state that `ready` accepts, at most `limit` of
    // real time; returns the last rest either way.
    Rest waitForRest(const std::function<bool(const Rest&)>& ready,
                     std::chrono::milliseconds limit) const;

    // Sends `count` unsolicited bytes, queued behind any answer in progress.
    void flood(std::size_t count, std::uint8_t value = 0x55);

    // The serving thread's id in the system (Linux's gettid), 0 while it is not running; lets a
    // test see where the thread waits.
    long threadId() const { return threadId_.load(); }

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
    TimeLine timeLine_;
    mutable std::mutex restMutex_;
    mutable std::condition_variable restChanged_;
    Rest rest_;
    std::uint64_t received_ = 0;  // the serving thread's own count
    std::atomic<long> threadId_{0};
    std::atomic<std::uint64_t> sent_{0};
    std::atomic<std::uint64_t> dropped_{0};
};

}  // namespace quillmark::sim
