// The main window from its creation handler to the end of the event loop.
#pragma once

namespace quillo {

class TForm1;

// Runs FormCreate (a failure in it is shown and ends it early), shows the
// window and runs the event loop until the window has closed. A close carried
// out during start-up (a "/GO" run) ends it as soon as start-up has finished.
// The quit that a close posts waits until the event being handled when the
// window closed (a search run with its save prompt and its error box) is done.
// Returns the program's exit code, 0.
int RunMainWindow(TForm1& form);

} // namespace quillo
