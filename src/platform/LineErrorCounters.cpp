// Reading and comparing the driver's line error counters.
#include "platform/LineErrorCounters.h"

#include "platform/SerialPort.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(Q_OS_LINUX)
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace quillmark {

std::optional<LineCounters> readDriverCounters([[maybe_unused]] std::intptr_t handle) {
#if defined(Q_OS_LINUX)
    serial_icounter_struct counts{};
    if (::ioctl(static_cast<int>(handle), TIOCGICOUNT, &counts) != 0) {
        return std::nullopt;
    }
    return LineCounters{
        static_cast<std::uint32_t>(counts.frame), static_cast<std::uint32_t>(counts.parity),
        static_cast<std::uint32_t>(counts.overrun), static_cast<std::uint32_t>(counts.buf_overrun)};
#else
    return std::nullopt;
#endif
}

#ifdef Q_OS_WIN
std::vector<LineEvent> takeWindowsLineErrors(void* handle) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(static_cast<HANDLE>(handle), &errors, &status)) {
        return {};
    }
    struct Flag {
        DWORD bit;
        LineEvent event;
    };
    constexpr Flag kFlags[] = {
        {CE_FRAME, LineEvent::Framing},
        {CE_OVERRUN, LineEvent::Overrun},
        {CE_RXOVER, LineEvent::RxOverflow},
        {CE_RXPARITY, LineEvent::RxParity},
    };
    std::vector<LineEvent> events;
    for (const auto& flag : kFlags) {
        if (errors & flag.bit) {
            events.push_back(flag.event);
        }
    }
    return events;
}
#endif

std::vector<LineEvent> LineErrorCounters::update(std::optional<LineCounters> now) {
    if (!now) {
        return {};
    }
    std::vector<LineEvent> events;
    if (last_) {
        // Counters only grow, so any change (a wrap included) is new errors.
        if (now->overrun != last_->overrun || now->bufferOverrun != last_->bufferOverrun) {
            events.push_back(LineEvent::Overrun);
        }
        if (now->parity != last_->parity) {
            events.push_back(LineEvent::RxParity);
        }
    }
    last_ = now;
    return events;
}

}  // namespace quillmark
