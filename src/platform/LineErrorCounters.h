// The driver's running counts of line errors, and the events their growth stands for.
#pragma once

#include "platform/SerialPort.h"

#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quillmark {

struct LineCounters {
    std::uint32_t frame = 0;
    std::uint32_t parity = 0;
    std::uint32_t overrun = 0;        // the UART's own FIFO overran
    std::uint32_t bufferOverrun = 0;  // the driver's buffer overran
};

// Reads the counters of an open port by its native handle; empty when the driver keeps none.
using CounterSource = std::function<std::optional<LineCounters>(std::intptr_t handle)>;

// The real counters (TIOCGICOUNT). Pseudo-terminals and many USB adapters refuse it.
std::optional<LineCounters> readDriverCounters(std::intptr_t handle);

#ifdef Q_OS_WIN
// Takes and clears the port's pending line errors (ClearCommError) as event codes.
std::vector<LineEvent> takeWindowsLineErrors(void* handle);
#endif

class LineErrorCounters final {
public:
    // Starts counting afresh: errors from before the port opened are not ours to report.
    void restart(std::optional<LineCounters> baseline) { last_ = baseline; }
    // Event codes for the counters that grew since the last reading. Frame errors are not
    // among them: the marks in the byte stream already report each one.
    std::vector<LineEvent> update(std::optional<LineCounters> now);

private:
    std::optional<LineCounters> last_;
};

}  // namespace quillmark
