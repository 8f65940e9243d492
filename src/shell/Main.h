// The program's start: the splash window, then the main window.
#pragma once

namespace quillmark {

// Shows the splash modally until it closes itself, then the main window, and runs the program
// until the main window is closed.
int Main(int argc, char** argv);

}  // namespace quillmark
