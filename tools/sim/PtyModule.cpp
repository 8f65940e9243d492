// The pseudo-terminal side: reads command bytes, sends answers on a byte-time schedule.
#include "sim/PtyModule.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <deque>
#include <optional>
#include <system_error>

namespace quillmark::sim {

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC on Linux

// Close enough to a deadline, the thread sleeps on the deadline itself instead of in
// poll(), whose millisecond timeout is far coarser than one byte time.
constexpr auto kFineWindow = std::chrono::milliseconds(2);
// When the terminal reports trouble without data, wait this long rather than spin.
constexpr auto kTroubleBackoff = std::chrono::milliseconds(10);

struct PendingByte {
    Clock::time_point due;  // earliest moment the byte may start on the line
    std::uint8_t value = 0;
};

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void sleepUntil(Clock::time_point deadline) {
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

int pollTimeoutMs(Clock::duration remaining) {
    if (remaining <= kFineWindow) {
        return 0;
    }
    // Wake a little early and finish on the fine sleep.
    const auto coarse = remaining - std::chrono::milliseconds(1);
    return static_cast<int>(
        std::min<long long>(std::chrono::ceil<std::chrono::milliseconds>(coarse).count(), 60'000));
}

}  // namespace

PtyModule::PtyModule(ModuleEngine& engine, bool pace) : engine_(engine), pace_(pace) {}

PtyModule::~PtyModule() {
    stop();
}

void PtyModule::start() {
    if (isRunning()) {
        return;
    }
    UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY));
    if (!master.valid()) {
        fail("posix_openpt");
    }
    if (grantpt(master.get()) != 0) {
        fail("grantpt");
    }
    if (unlockpt(master.get()) != 0) {
        fail("unlockpt");
    }
    std::array<char, 128> name{};
    if (ptsname_r(master.get(), name.data(), name.size()) != 0) {
        fail("ptsname_r");
    }
    termios tio{};
    if (tcgetattr(master.get(), &tio) != 0) {
        fail("tcgetattr");
    }
    cfmakeraw(&tio);
    if (tcsetattr(master.get(), TCSANOW, &tio) != 0) {
        fail("tcsetattr");
    }
    // Never block on a write: a side nobody reads would otherwise stall the thread and stop().
    if (fcntl(master.get(), F_SETFL, fcntl(master.get(), F_GETFL) | O_NONBLOCK) != 0) {
        fail("fcntl");
    }
    UniqueFd slave(::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!slave.valid()) {
        fail("open pty slave");
    }
    UniqueFd wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!wakeFd.valid()) {
        fail("eventfd");
    }
    fcntl(master.get(), F_SETFD, FD_CLOEXEC);

    master_ = std::move(master);
    heldSlave_ = std::move(slave);
    wakeFd_ = std::move(wakeFd);
    slavePath_ = name.data();
    stopRequested_ = false;
    received_ = 0;
    {
        const std::lock_guard lock(floodMutex_);
        floods_.clear();
    }
    thread_ = std::thread([this] { run(); });
}

void PtyModule::stop() {
    if (!isRunning()) {
        return;
    }
    stopRequested_ = true;
    wake();
    thread_.join();
    threadId_ = 0;
    master_.reset();
    heldSlave_.reset();
    wakeFd_.reset();
}

void PtyModule::serveOn(TimeLine timeLine) {
    pace_ = false;
    timeLine_ = std::move(timeLine);
}

PtyModule::Rest PtyModule::lastRest() const {
    const std::lock_guard lock(restMutex_);
    return rest_;
}

PtyModule::Rest PtyModule::waitForRest(const std::function<bool(const Rest&)>& ready,
                                       std::chrono::milliseconds limit) const {
    std::unique_lock lock(restMutex_);
    restChanged_.wait_for(lock, limit, [&] { return ready(rest_); });
    return rest_;
}

void PtyModule::flood(std::size_t count, std::uint8_t value) {
    {
        const std::lock_guard lock(floodMutex_);
        floods_.emplace_back(count, value);
    }
    wake();
}

void PtyModule::wake() const {
    const std::uint64_t one = 1;
    if (wakeFd_.valid()) {
        [[maybe_unused]] const auto n = ::write(wakeFd_.get(), &one, sizeof one);
    }
}

void PtyModule::run() {
    // The default 50 us timer slack is a quarter of a byte time.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    threadId_ = long(::gettid());

    const auto clockNow = [this] { return timeLine_ ? timeLine_() : Clock::now(); };
    const Clock::time_point started = clockNow();
    std::deque<PendingByte> queue;
    Clock::time_point lineFree = started;  // when the byte on the line finishes
    std::array<std::uint8_t, 256> in{};

    const auto writeBytes = [this](const std::uint8_t* data, std::size_t count) {
        const ssize_t n = ::write(master_.get(), data, count);
        const std::size_t written = n > 0 ? static_cast<std::size_t>(n) : 0;
        sent_ += written;
        dropped_ += count - written;
    };

    while (!stopRequested_) {
        // The moment the head of the queue is complete at the far end.
        std::optional<Clock::time_point> nextDone;
        if (!queue.empty()) {
            const auto begin = std::max(queue.front().due, lineFree);
            nextDone = pace_ ? begin + kByteTime : begin;
        }
        int timeout = nextDone ? pollTimeoutMs(*nextDone - Clock::now()) : -1;
        if (timeLine_) {
            // On a time line the caller moves, there is nothing to sleep for: the thread waits
            // for a byte or for the time to move, and says so first.
            const Clock::time_point at = timeLine_();
            timeout = nextDone && *nextDone <= at ? 0 : -1;
            if (timeout != 0) {
                {
                    const std::lock_guard lock(restMutex_);
                    rest_ = {received_, sent_.load(), at, nextDone};
                }
                restChanged_.notify_all();
            }
        }

        std::array<pollfd, 2> fds{pollfd{master_.get(), POLLIN, 0},
                                  pollfd{wakeFd_.get(), POLLIN, 0}};
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) {
            std::this_thread::sleep_for(kTroubleBackoff);
            continue;
        }
        const Clock::time_point now = clockNow();

        if (fds[1].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto n = ::read(wakeFd_.get(), &count, sizeof count);
            const std::lock_guard lock(floodMutex_);
            for (const auto& [size, value] : floods_) {
                for (std::size_t i = 0; i < size; ++i) {
                    queue.push_back({now, value});
                }
            }
            floods_.clear();
        }

        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_.get(), in.data(), in.size());
            received_ += n > 0 ? std::uint64_t(n) : 0;
            for (ssize_t i = 0; i < n; ++i) {
                // On the cable a command byte is whole at the module one byte time after it
                // left; a pseudo-terminal hands it over at once, so the answer starts that much
                // later, as it would on the line.
                const Clock::time_point arrived = pace_ ? now + kByteTime : now;
                const Answer answer = engine_.answer(
                    in[static_cast<std::size_t>(i)],
                    std::chrono::duration_cast<std::chrono::microseconds>(arrived - started));
                for (const auto& part : answer.parts) {
                    for (const char c : part.bytes) {
                        queue.push_back({arrived + part.delay, static_cast<std::uint8_t>(c)});
                    }
                }
            }
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                std::this_thread::sleep_for(kTroubleBackoff);
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            std::this_thread::sleep_for(kTroubleBackoff);
        }

        if (queue.empty()) {
            continue;
        }
        if (pace_) {
            const auto done = std::max(queue.front().due, lineFree) + kByteTime;
            if (done - Clock::now() > kFineWindow) {
                continue;
            }
            sleepUntil(done);
            writeBytes(&queue.front().value, 1);
            queue.pop_front();
            // Absolute schedule: a late wake-up does not push the following bytes back.
            lineFree = done;
        } else {
            std::vector<std::uint8_t> due;
            const auto at = clockNow();
            while (!queue.empty() && queue.front().due <= at) {
                due.push_back(queue.front().value);
                queue.pop_front();
            }
            if (!due.empty()) {
                writeBytes(due.data(), due.size());
            }
        }
    }
}

}  // namespace quillmark::sim
