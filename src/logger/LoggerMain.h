// The start of quillmark-logger: the command line, the wiring of the real port, clock and
// console, the signals, and the run.
#pragma once

namespace quillmark {

// Exit status: 0 after a stop signal, 2 for a bad command line.
int LoggerMain(int argc, char** argv);

}  // namespace quillmark
