#include "folder_listing.h"

#include "path_pattern.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quillo {
namespace {

bool IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

enum class EntryKind { File, Folder, LinkToFolder };

// From the directory's own type field where the file system gives one; a
// stat only for symbolic links (to see what they point at) and for file
// systems that leave the type unknown. What cannot be looked at counts as a
// file, as a dangling link does.
EntryKind KindOf(DIR* dir, const dirent& entry)
{
    struct stat st;
    bool link = entry.d_type == DT_LNK;
    if (entry.d_type == DT_UNKNOWN) {
        if (::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::File;
        if (S_ISDIR(st.st_mode))
            return EntryKind::Folder;
        link = S_ISLNK(st.st_mode);
    } else if (entry.d_type == DT_DIR) {
        return EntryKind::Folder;
    }
    if (!link)
        return EntryKind::File;
    return ::fstatat(::dirfd(dir), entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode) ? EntryKind::LinkToFolder
                                                                                      : EntryKind::File;
}

// One pass over a folder: the names of the entries that are not folders and
// pass wantFile, and of the real folders (never links to one) that pass
// wantFolder, each in the order the folder lists them. An entry neither
// wants is not looked at further. Nothing when the folder cannot be read.
template <typename WantFile, typename WantFolder>
void ReadFolder(const std::string& folder, WantFile wantFile, WantFolder wantFolder, std::vector<std::string>& files,
                std::vector<std::string>& folders)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsDotEntry(entry->d_name))
            continue;
        const bool fileWanted = wantFile(entry->d_name);
        const bool folderWanted = wantFolder(entry->d_name);
        // A link is never walked: only a wanted file needs its target.
        if (!fileWanted && (!folderWanted || entry->d_type == DT_LNK))
            continue;
        const EntryKind kind = KindOf(dir, *entry);
        if (kind == EntryKind::File && fileWanted)
            files.emplace_back(entry->d_name);
        else if (kind == EntryKind::Folder && folderWanted)
            folders.emplace_back(entry->d_name);
    }
    ::closedir(dir);
}

} // namespace

bool IsFolder(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsExistingFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::vector<std::string> ListFolderFiles(const std::string& folder)
{
    std::vector<std::string> files, noFolders;
    if (!folder.empty())
        ReadFolder(folder, [](const char*) { return true; }, [](const char*) { return false; }, files, noFolders);
    return files;
}

bool HasWildcard(const std::string& pattern) { return pattern.find_first_of("*?") != std::string::npos; }

std::vector<std::string> ExpandFilePattern(const std::string& pattern)
{
    if (!HasWildcard(pattern))
        return IsExistingFile(pattern) ? std::vector<std::string>{pattern} : std::vector<std::string>{};
    const PathPattern match(pattern);
    std::vector<std::string> paths;
    // Depth first: a folder's files, then each of its folders in turn. The
    // stack holds the folders still to visit, the next one on top.
    struct Pending {
        std::string path; // the start's text and the path below it: "" or ending in "/"
        PathPattern::Positions at;
    };
    std::vector<Pending> pending{{match.Start(), match.AtStart()}};
    std::vector<std::string> files, folders;
    while (!pending.empty()) {
        const Pending here = std::move(pending.back());
        pending.pop_back();
        files.clear();
        folders.clear();
        const bool takesFiles = match.TakesFiles(here.at);
        const bool descends = match.CanDescend(here.at);
        ReadFolder(
            here.path, [&](const char* name) { return takesFiles && match.NameMatches(name); },
            [&](const char* name) { return descends && !match.Below(here.at, name).empty(); }, files, folders);
        for (const std::string& name : files)
            paths.push_back(here.path + name);
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
            pending.push_back({here.path + *folder + "/", match.Below(here.at, folder->c_str())});
    }
    return paths;
}

} // namespace quillo
