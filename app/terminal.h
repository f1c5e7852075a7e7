// What the program answers on the terminal before it opens a window: its
// usage for "--help", its version for "--version", and a plain line when
// there is no display to open a window on.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quillo {

inline constexpr std::string_view VersionLine = "quillo 96.7.10";
inline constexpr std::string_view NoDisplayLine =
    "quillo: no display to open a window on: neither DISPLAY nor WAYLAND_DISPLAY is set";

// Reads an environment variable; nothing when it is unset.
using Environment = std::function<std::optional<std::string>(const char* name)>;

// The usage, naming the program's own files where they are for this user.
std::string UsageText(std::string_view settingsFile, std::string_view listFile);

// A window can be opened: DISPLAY or WAYLAND_DISPLAY is set and not empty, or
// QT_QPA_PLATFORM chooses a platform (which then reports for itself).
bool DisplayAvailable(const Environment& environment);

// Answers "--help" and "--version" when it is the only parameter (any other
// use keeps its meaning as a file name or search string), and the want of a
// display. parameters: the program's parameters, empty ones dropped. Returns
// the exit code when the program ends here, nothing when it goes on to open
// its window.
std::optional<int> AnswerOnTerminal(const std::vector<std::string>& parameters, const Environment& environment,
                                    std::ostream& out, std::ostream& err);

} // namespace quillo
