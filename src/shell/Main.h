// The program's start: the splash window, then the main window.
#pragma once

namespace quillmark {

class MainWindowWidget;
class TerminationRequests;
class frmMain;

// Shows the splash modally until it closes itself, then the main window, and runs the program
// until the main window is closed.
int Main(int argc, char** argv);

// Connects the main window to its logic, runs Form_Load and shows the window with the focus.
// The program's start and the end-to-end tests both bring the window up through here.
void StartMainWindow(MainWindowWidget& window, frmMain& logic);

// A request from outside to end the program closes the main window, as its close box does.
void CloseOnTerminationRequest(MainWindowWidget& window, TerminationRequests& requests);

}  // namespace quillmark
