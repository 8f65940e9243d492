// The logger an end-to-end test runs, and how long it may take to start or answer.
#pragma once

#include <QString>

#include <QtGlobal>

namespace quillmark {

// The build's own logger, or the one QUILLMARK_LOGGER_PROGRAM names (the packaged arm64 logger
// run under qemu by scripts/test-arm64.sh).
inline QString loggerProgram() {
    const QString other = qEnvironmentVariable("QUILLMARK_LOGGER_PROGRAM");
    return other.isEmpty() ? qEnvironmentVariable("QUILLMARK_BUILD_BIN") + "/quillmark-logger"
                           : other;
}

// How long to wait for the logger to start, say something, answer or end:
// QUILLMARK_TEST_TIME_FACTOR stretches it for an emulated logger. What the logger must show
// (rows, rates, replies) is not stretched.
inline int waitMs(int ms) {
    bool ok = false;
    const double factor = qEnvironmentVariable("QUILLMARK_TEST_TIME_FACTOR").toDouble(&ok);
    return ok && factor > 1.0 ? int(ms * factor) : ms;
}

}  // namespace quillmark
