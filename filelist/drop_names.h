// How dropped paths are split and what is asked about a dropped folder.
#pragma once

#include <string>
#include <string_view>

namespace quillo {

struct DroppedName {
    std::string nameOnly;  // after the last "/", the whole path without one
    std::string extension; // after the first "." of the name, without the dot
};

DroppedName SplitDroppedName(std::string_view path);

// P " is a Folder", a line feed, "Do you want to load all files in this
// Folder?", cut after its 255th character.
std::string FolderQuestion(std::string_view folder);
inline constexpr std::string_view FolderQuestionCaption = "Quillo Warning:";

// The first count characters of text in the current locale's encoding (a
// byte that starts no valid character counts as one).
std::string FirstCharacters(std::string_view text, std::size_t count);

} // namespace quillo
