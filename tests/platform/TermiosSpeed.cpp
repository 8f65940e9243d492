// Reads the kernel's termios2, which keeps arbitrary speeds; kept apart because its header
// clashes with <termios.h>.
#include "TermiosSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace quillmark::test {

int outputSpeedOf(int fd) {
    termios2 line{};
    if (::ioctl(fd, TCGETS2, &line) != 0) {
        return -1;
    }
    return static_cast<int>(line.c_ospeed);
}

}  // namespace quillmark::test
