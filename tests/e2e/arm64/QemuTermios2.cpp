// Loaded into the arm64 logger when scripts/test-arm64.sh runs it under qemu-user (LD_PRELOAD).
// Qt sets a rate outside the standard table, such as the module's 56000 bit/s, with the termios2
// requests (TCGETS2, TCSETS2); Debian 12's qemu-user does not pass those on to the host and
// answers "not implemented", so the logger could not open the pseudo-terminal at all. This
// answers them with the plain requests, which qemu does pass, and keeps the asked rate to
// report it back as the host's pseudo-terminal does (a pseudo-terminal has no line to pace).
// Every other request goes to the system unchanged. Not part of the program or its package.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cstdarg>
#include <cstring>

namespace {

// The rate asked of each descriptor by TCSETS2 with BOTHER; 0 where none was.
std::array<speed_t, 1024> askedRate{};

// The plain request's stand-in for a rate outside the table; a pseudo-terminal ignores it.
constexpr tcflag_t kStandInRate = B38400;

long systemIoctl(int fd, unsigned long request, void* argument) {
    return ::syscall(SYS_ioctl, fd, request, argument);
}

long getTermios2(int fd, termios2* answer) {
    termios plain{};
    const long result = systemIoctl(fd, TCGETS, &plain);
    if (result != 0) {
        return result;
    }
    std::memset(answer, 0, sizeof *answer);
    std::memcpy(answer, &plain, sizeof plain);
    const speed_t rate = fd >= 0 && std::size_t(fd) < askedRate.size() ? askedRate[fd] : 0;
    if (rate != 0 && (answer->c_cflag & CBAUD) == kStandInRate) {
        answer->c_cflag = (answer->c_cflag & ~CBAUD) | BOTHER;
        answer->c_ispeed = answer->c_ospeed = rate;
    }
    return 0;
}

long setTermios2(int fd, unsigned long plainRequest, const termios2* asked) {
    termios plain{};
    std::memcpy(&plain, asked, sizeof plain);
    speed_t rate = 0;
    if ((asked->c_cflag & CBAUD) == BOTHER) {
        rate = asked->c_ospeed;
        plain.c_cflag = (plain.c_cflag & ~CBAUD) | kStandInRate;
    }
    const long result = systemIoctl(fd, plainRequest, &plain);
    if (result == 0 && fd >= 0 && std::size_t(fd) < askedRate.size()) {
        askedRate[fd] = rate;
    }
    return result;
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    switch (request) {
        case TCGETS2:
            return int(getTermios2(fd, static_cast<termios2*>(argument)));
        case TCSETS2:
            return int(setTermios2(fd, TCSETS, static_cast<const termios2*>(argument)));
        case TCSETSW2:
            return int(setTermios2(fd, TCSETSW, static_cast<const termios2*>(argument)));
        case TCSETSF2:
            return int(setTermios2(fd, TCSETSF, static_cast<const termios2*>(argument)));
        default:
            return int(systemIoctl(fd, request, argument));
    }
}
