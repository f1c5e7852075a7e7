// Program start: the application, the main window and the event loop.
#pragma once

#include <string>
#include <vector>

namespace quillo {

// The command line as the program was started with it, untouched by Qt.
const std::vector<std::string>& ProgramArguments();

// Runs the program; the exit code is always 0.
int RunProgram(int argc, char** argv);

} // namespace quillo
