// Options of the output list kept in the section "Output" of the settings
// file: "Only Found Files" (the check box "Only files with found lines"), a
// flag, off unless stored otherwise. The key is written only when it is on
// or the file already holds it: a settings file of a user who never turned
// it on stays as it was.
#pragma once

#include "settings/ini_file.h"

#include <string_view>

namespace quillo {

inline constexpr std::string_view OutputSection = "Output";
inline constexpr std::string_view OnlyFoundFilesKey = "Only Found Files";

bool ReadOnlyFoundFiles(const TIniFile& settings);
void AddOnlyFoundFiles(ProfileChanges& changes, bool on, const TIniFile& current);

} // namespace quillo
