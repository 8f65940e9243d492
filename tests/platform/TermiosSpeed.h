// The speed a terminal really runs at, read past the C library's fixed speed table.
#pragma once

namespace quillmark::test {

// Output speed in bit/s of the terminal behind fd, or -1 when it cannot be read.
int outputSpeedOf(int fd);

}  // namespace quillmark::test
