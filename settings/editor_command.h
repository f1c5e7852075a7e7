// The user's editor, for opening a found line at its line: a command line
// kept in the section "Editor" of the settings file, key "Command", with %f
// for the file's path and %l for the line number. It is split into words as
// a desktop entry's Exec key is, and run without a shell, so that the file's
// name is never read by one.
#pragma once

#include "settings/ini_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo {

inline constexpr std::string_view EditorSection = "Editor";
inline constexpr std::string_view EditorCommandKey = "Command";

// Empty when none is kept (the desktop's default application opens files).
std::string ReadEditorCommand(const TIniFile& settings);
// Written only when not empty or when the file already holds the key.
void AddEditorCommand(ProfileChanges& changes, std::string_view command, const TIniFile& current);

// The words of a command line: separated by blanks; a word, or part of one,
// in double quotes keeps its blanks, and there a backslash takes the next
// character (", `, $ or \) as it is. Nothing when a quote is not closed.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view command);

// The program and its arguments for opening file at line: %f (also %F) is
// the file's path, %l the line number, %% one %; other % codes stand for
// nothing, and a word that was only such a code is left out. A command
// without %f gets the path as its last argument. A path starting with "-"
// is given as "./" and the path, so that no program takes it for an option.
// Nothing when the command does not split or holds no program.
std::optional<std::vector<std::string>> EditorArguments(std::string_view command, std::string_view file,
                                                        std::uint32_t line);

} // namespace quillo
