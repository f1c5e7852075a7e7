#include "folder_listing.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace quillo {
namespace {

bool IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Whether the entry is a folder, following symbolic links.
bool EntryIsFolder(const std::string& folder, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    return IsFolder(folder + "/" + entry.d_name);
}

// Entries of folder that are not folders and whose names pass keep().
template <typename Keep>
std::vector<std::string> ListFiles(const std::string& folder, Keep keep)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsDotEntry(entry->d_name) || !keep(entry->d_name) || EntryIsFolder(folder, *entry))
            continue;
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
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
    return ListFiles(folder, [](const char*) { return true; });
}

bool HasWildcard(const std::string& pattern) { return pattern.find_first_of("*?") != std::string::npos; }

std::vector<std::string> ExpandFilePattern(const std::string& pattern)
{
    if (!HasWildcard(pattern))
        return IsExistingFile(pattern) ? std::vector<std::string>{pattern} : std::vector<std::string>{};
    const std::size_t slash = pattern.rfind('/');
    const std::string folderPart = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    // Only "*" and "?" are special: "[" stands for itself, "\\" too.
    std::string namePattern;
    for (const char c : pattern.substr(folderPart.size()))
        namePattern += c == '[' ? std::string("[[]") : std::string(1, c);
    const std::string folder = folderPart.empty() ? "." : folderPart;
    std::vector<std::string> paths =
        ListFiles(folder, [&](const char* name) { return ::fnmatch(namePattern.c_str(), name, FNM_NOESCAPE) == 0; });
    for (std::string& path : paths)
        path.insert(0, folderPart);
    return paths;
}

} // namespace quillo
