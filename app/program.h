// Program start: the application, the main window and the event loop.
#pragma once

#include <string>
#include <vector>

namespace quillo {

// The command line as the program was started with it, untouched by Qt.
const std::vector<std::string>& ProgramArguments();

// Runs the program; the exit code is 0, or 1 when there is no display to
// open its window on (or the terminal cannot be written).
int RunProgram(int argc, char** argv);

} // namespace quillo
