// What the "Add Folder" dialog shows and was last confirmed with, kept in the
// section "Add Folder" of the settings file and written at close in the same
// write as the options.
#pragma once

#include "settings/ini_file.h"

#include <string>
#include <string_view>

namespace quillo {

inline constexpr std::string_view AddFolderSection = "Add Folder";
inline constexpr std::string_view AddFolderFolderKey = "Folder";
inline constexpr std::string_view AddFolderFileNamesKey = "File Names";
inline constexpr std::string_view AddFolderSkipFoldersKey = "Skip Folders";
inline constexpr std::string_view AddFolderSubfoldersKey = "Subfolders";
inline constexpr std::string_view AddFolderSkipBinaryKey = "Skip Binary";

inline constexpr std::string_view DefaultSkipFolders = ".git;.hg;.svn;node_modules";

struct AddFolderValues {
    std::string folder;
    std::string fileNames;                          // masks separated by ";"; empty: every file
    std::string skipFolders{DefaultSkipFolders};    // masks separated by ";"
    bool subfolders = true;
    bool skipBinary = true;

    bool operator==(const AddFolderValues&) const = default;
};

// A missing key reads as the value above; the texts as the settings file
// keeps them (blanks around them dropped).
AddFolderValues ReadAddFolderValues(const TIniFile& settings);

// Adds Folder, File Names, Skip Folders, Subfolders and Skip Binary, in that
// order, to changes that are written together with the options.
void AddAddFolderValues(ProfileChanges& changes, const AddFolderValues& values);

} // namespace quillo
