// Folders and wildcard patterns turned into file entries.
#pragma once

#include <string>
#include <vector>

namespace quillo {

bool IsFolder(const std::string& path);
// Exists and is not a folder.
bool IsExistingFile(const std::string& path);

// The names of a folder's entries that are not folders (hidden ones
// included), in the order the directory delivers them; "." and ".." never.
// Empty when the folder cannot be listed.
std::vector<std::string> ListFolderFiles(const std::string& folder);

bool HasWildcard(const std::string& pattern);

// The files matching a pattern whose last component may hold "*" and "?"
// (shell-style, a leading dot needs no special match), each as the pattern's
// folder part (up to and including its last "/") followed by the name, in
// directory order. A folder part "**" stands for that folder and every folder
// below it (hidden ones too, links to folders not followed, unreadable ones
// left out): entries are then the pattern's text up to the "**" and the path
// below it, each folder's files first, then its folders in turn, in directory
// order. A name without wildcards gives itself when it is an existing file.
std::vector<std::string> ExpandFilePattern(const std::string& pattern);

} // namespace quillo
