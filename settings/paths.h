// Files beside the executable: the settings file and, with the same rule, the
// file list's list file.
#pragma once

#include <string>
#include <string_view>

namespace quillo {

// path with its extension replaced by extension (which brings its own "."):
// from the end, find the last "." or "/"; a "." and everything after it is
// replaced, otherwise extension is appended. A dot in a folder name is never
// taken for the extension. Only "/" separates folders here; ":" and "\" are
// ordinary file-name characters on Linux.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// The running program's full path, symbolic links resolved. Throws
// quillo::Failure when the system cannot tell.
std::string ExecutablePath();

// ExecutablePath() with the extension ".ini".
std::string SettingsFile();

} // namespace quillo
