#include "platform/QtProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace quillmark {

void QtProgramEnd::endNow() {
    // Closing may happen in the middle of a transaction's wait; unwinding back through it would
    // run further steps and dialogs. Settings are written when they are saved, so nothing is lost.
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace quillmark
