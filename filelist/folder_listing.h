// Folders and wildcard patterns turned into file entries. Every listing is in
// name order: names compared byte by byte (as "LC_ALL=C ls" sorts them), and
// within a folder its files first, then its folders, each listed the same way.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quillo {

bool IsFolder(const std::string& path);
// Exists and is not a folder.
bool IsExistingFile(const std::string& path);

// The names of a folder's entries that are not folders (hidden ones
// included), in name order; "." and ".." never. Empty when the folder cannot
// be listed.
std::vector<std::string> ListFolderFiles(const std::string& folder);

bool HasWildcard(const std::string& pattern);

// Told now and then while a listing runs (every few hundred entries looked
// at) how many files it has found so far; returns false to stop it there.
using ListingProgress = std::function<bool(std::size_t found)>;

// The files matching a pattern whose last component may hold "*" and "?"
// (shell-style, a leading dot needs no special match), each as the pattern's
// folder part (up to and including its last "/") followed by the name, in
// name order. A folder part "**" stands for that folder and every folder
// below it (hidden ones too, links to folders not followed, unreadable ones
// left out): entries are then the pattern's text up to the "**" and the path
// below it, each folder's files first, then its folders in turn. A name
// without wildcards gives itself when it is an existing file. Returns false
// when progress stopped the listing; paths holds what was found until then.
bool ExpandFilePattern(const std::string& pattern, std::vector<std::string>& paths,
                       const ListingProgress& progress);
std::vector<std::string> ExpandFilePattern(const std::string& pattern);

// What a folder tree listing takes.
struct FolderTreeOptions {
    std::string fileNames;   // masks separated by ";" (NameMasks); none or "*": every file
    std::string skipFolders; // masks separated by ";": a folder whose name matches is not entered
    bool subfolders = true;  // off: the folder's own files only
    bool skipBinary = true;  // a file whose first BinaryProbeBytes hold a zero byte is left out
};
inline constexpr std::size_t BinaryProbeBytes = 8192;

// Appends to paths every regular file below folder whose name matches the
// masks, as folder, "/" and the path below it, in name order, each folder's
// files before its subfolders. Links to folders are not followed; a link to a
// regular file is taken as its own path. Folders and files that cannot be
// read are left out, and so are other kinds of entries (devices, pipes,
// sockets). The skip masks apply to folders at every depth, not to folder
// itself. Returns false when progress stopped the listing; what was found
// until then stays in paths.
bool ListFolderTree(const std::string& folder, const FolderTreeOptions& options, std::vector<std::string>& paths,
                    const ListingProgress& progress = {});

} // namespace quillo
