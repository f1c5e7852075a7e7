// Where the program keeps its own files, the settings file and the list file:
// beside the program when it runs from a folder the user can write (the build
// folder, a copy in the user's own folder); in the user's configuration folder
// when it runs from its installed place or from a folder the user cannot write.
#pragma once

#include <optional>
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

// What decides where the program's own files go.
struct ProgramPlace {
    std::string executable;       // full path of the program
    std::string installBinFolder; // the bin folder of the install prefix
    bool folderWritable = true;   // the user may create files beside the program
    std::optional<std::string> xdgConfigHome; // XDG_CONFIG_HOME; nothing when unset
    std::string home;             // the user's home folder
};

// The user's home folder: homeVariable (HOME) when it is an absolute path;
// when it is unset, empty or relative, the home the user database gives
// (empty when that gives none).
std::string UserHome(const char* homeVariable);

// value (XDG_CONFIG_HOME) when it is an absolute path to a folder the user
// may make files in, or to one that can be made (its nearest existing
// folder is such a folder); nothing when it is unset, empty, relative, a
// file, or a folder the user cannot write, as the XDG rules say such a
// value is ignored.
std::optional<std::string> UsableConfigHome(const char* value);

// The user's configuration folder for the program: "$XDG_CONFIG_HOME/quillo",
// or "<home>/.config/quillo" when XDG_CONFIG_HOME is unset, empty or not an
// absolute path (such a value is to be ignored). Nothing when neither gives
// an absolute path.
std::optional<std::string> UserConfigFolder(const std::optional<std::string>& xdgConfigHome, std::string_view home);

// The program's file with extension: ReplaceExtension(executable, extension)
// when the program is not in the install bin folder and its folder is
// writable; otherwise a file of the same name in UserConfigFolder (beside the
// program after all when there is no such folder).
std::string ProgramFile(const ProgramPlace& place, std::string_view extension);

// The place of the running program, from the system and the environment.
ProgramPlace CurrentProgramPlace();

// The settings file ("<program>.ini") and the list file ("<program>.lst") of
// the running program. Their configuration folder is not made here: the
// first write makes it, and a missing one reads as no file yet.
std::string SettingsFile();
std::string ListFile();

} // namespace quillo
