#include "folder_listing.h"

#include "path_pattern.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {
namespace {

bool IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// How often a listing tells its progress: after this many entries looked at.
constexpr std::size_t ProgressEvery = 256;

enum class EntryKind { File, Other, Folder, LinkToFolder };

// A folder's entries read in one pass and sorted by name. The names lie in
// one block of text, so a folder of many entries costs few allocations, and
// the block is reused from folder to folder.
class FolderReader {
public:
    struct Entry {
        std::size_t offset; // of the name in the block
        unsigned char type; // the directory's own type field (DT_...)
    };

    FolderReader() = default;
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;
    ~FolderReader() { Close(); }

    // Reads the folder at path ("" is the current folder); a link in its
    // last part is followed only when followLink is set. False, with no
    // entries, when it cannot be opened.
    bool Read(const std::string& path, bool followLink)
    {
        Close();
        names_.clear();
        entries_.clear();
        const int fd = ::open(path.empty() ? "." : path.c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
        if (fd < 0)
            return false;
        dir_ = ::fdopendir(fd);
        if (!dir_) {
            ::close(fd);
            return false;
        }
        while (const dirent* entry = ::readdir(dir_)) {
            if (IsDotEntry(entry->d_name))
                continue;
            entries_.push_back({names_.size(), entry->d_type});
            names_.append(entry->d_name, std::strlen(entry->d_name) + 1);
        }
        std::sort(entries_.begin(), entries_.end(),
                  [this](const Entry& a, const Entry& b) { return std::strcmp(Name(a), Name(b)) < 0; });
        return true;
    }

    const std::vector<Entry>& Entries() const noexcept { return entries_; }
    const char* Name(const Entry& entry) const noexcept { return names_.data() + entry.offset; }
    int Fd() const noexcept { return ::dirfd(dir_); }

    // From the type field where the file system gives one; a stat only for
    // symbolic links (to see what they point at) and for file systems that
    // leave the type unknown. A regular file, or a link to one, is a File; a
    // dangling link and what cannot be looked at are Other.
    EntryKind Kind(const Entry& entry) const
    {
        struct stat st;
        unsigned char type = entry.type;
        if (type == DT_UNKNOWN) {
            if (::fstatat(Fd(), Name(entry), &st, AT_SYMLINK_NOFOLLOW) != 0)
                return EntryKind::Other;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
        }
        switch (type) {
        case DT_DIR:
            return EntryKind::Folder;
        case DT_REG:
            return EntryKind::File;
        case DT_LNK:
            if (::fstatat(Fd(), Name(entry), &st, 0) != 0)
                return EntryKind::Other;
            return S_ISDIR(st.st_mode) ? EntryKind::LinkToFolder : S_ISREG(st.st_mode) ? EntryKind::File
                                                                                       : EntryKind::Other;
        default:
            return EntryKind::Other;
        }
    }

private:
    void Close()
    {
        if (dir_)
            ::closedir(dir_);
        dir_ = nullptr;
    }

    DIR* dir_ = nullptr;
    std::string names_;
    std::vector<Entry> entries_;
};

// Opens a file of a folder for reading its first bytes. O_NOATIME keeps the
// look from marking the file as read, and spares the kernel the access time
// check; only a file's owner may ask for it, so after the first refusal the
// listing opens without it (one failed open, not one for each such file).
int OpenToProbe(int folder, const char* name, bool& noAtime)
{
    constexpr int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (noAtime) {
        const int fd = ::openat(folder, name, flags | O_NOATIME);
        if (fd >= 0 || errno != EPERM)
            return fd;
        noAtime = false;
    }
    return ::openat(folder, name, flags);
}

// Whether the file can be read, and when binary files are left out, whether
// its first BinaryProbeBytes hold no zero byte. Relative to the folder's
// descriptor: the kernel looks up one name, not the whole path.
bool Readable(int folder, const char* name, bool skipBinary, bool& noAtime)
{
    if (!skipBinary)
        return ::faccessat(folder, name, R_OK, 0) == 0;
    const int fd = OpenToProbe(folder, name, noAtime);
    if (fd < 0)
        return false;
    std::array<char, BinaryProbeBytes> probe;
    std::size_t got = 0;
    bool readable = true;
    while (got < probe.size()) {
        // pread: no file position to lock, which a process of several
        // threads (Qt's) would do for each read().
        const ssize_t n = ::pread(fd, probe.data() + got, probe.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readable = false;
        if (n <= 0)
            break;
        const std::size_t asked = probe.size() - got;
        got += static_cast<std::size_t>(n);
        // A regular file reads short only at its end: no second read to
        // learn that.
        if (static_cast<std::size_t>(n) < asked)
            break;
    }
    ::close(fd);
    return readable && std::memchr(probe.data(), 0, got) == nullptr;
}

// The text an entry's path starts with: the folder as given and one "/".
std::string FolderPrefix(const std::string& folder)
{
    std::string prefix = folder;
    while (prefix.size() > 1 && prefix.back() == '/')
        prefix.pop_back();
    if (prefix.back() != '/')
        prefix += '/';
    return prefix;
}

// Counts the entries looked at and tells progress every ProgressEvery of
// them; false once progress has asked to stop.
class ProgressTeller {
public:
    explicit ProgressTeller(const ListingProgress& progress) : progress_(progress) {}
    bool Step(std::size_t found) { return !progress_ || ++steps_ % ProgressEvery != 0 || progress_(found); }

private:
    const ListingProgress& progress_;
    std::size_t steps_ = 0;
};

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
    std::vector<std::string> files;
    FolderReader reader;
    if (folder.empty() || !reader.Read(folder, true))
        return files;
    for (const FolderReader::Entry& entry : reader.Entries()) {
        const EntryKind kind = reader.Kind(entry);
        if (kind == EntryKind::File || kind == EntryKind::Other)
            files.emplace_back(reader.Name(entry));
    }
    return files;
}

bool HasWildcard(const std::string& pattern) { return pattern.find_first_of("*?") != std::string::npos; }

bool ExpandFilePattern(const std::string& pattern, std::vector<std::string>& paths, const ListingProgress& progress)
{
    if (!HasWildcard(pattern)) {
        if (IsExistingFile(pattern))
            paths.push_back(pattern);
        return true;
    }
    const PathPattern match(pattern);
    ProgressTeller teller(progress);
    // Depth first: a folder's files, then each of its folders in turn. The
    // stack holds the folders still to visit, the next one on top.
    struct Pending {
        std::string path; // the start's text and the path below it: "" or ending in "/"
        PathPattern::Positions at;
    };
    std::vector<Pending> pending{{match.Start(), match.AtStart()}};
    std::vector<Pending> folders;
    FolderReader reader;
    bool start = true;
    while (!pending.empty()) {
        const Pending here = std::move(pending.back());
        pending.pop_back();
        // The start may be a link to a folder; the folders below it never are.
        if (!reader.Read(here.path, start))
            continue;
        start = false;
        folders.clear();
        const bool takesFiles = match.TakesFiles(here.at);
        const bool descends = match.CanDescend(here.at);
        for (const FolderReader::Entry& entry : reader.Entries()) {
            if (!teller.Step(paths.size()))
                return false;
            const char* name = reader.Name(entry);
            const bool fileWanted = takesFiles && match.NameMatches(name);
            PathPattern::Positions below;
            // A link is never walked: only a wanted file needs its target.
            if (descends && entry.type != DT_LNK)
                below = match.Below(here.at, name);
            if (!fileWanted && below.empty())
                continue;
            const EntryKind kind = reader.Kind(entry);
            if ((kind == EntryKind::File || kind == EntryKind::Other) && fileWanted)
                paths.push_back(here.path + name);
            else if (kind == EntryKind::Folder && !below.empty())
                folders.push_back({here.path + name + "/", std::move(below)});
        }
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
            pending.push_back(std::move(*folder));
    }
    return true;
}

std::vector<std::string> ExpandFilePattern(const std::string& pattern)
{
    std::vector<std::string> paths;
    ExpandFilePattern(pattern, paths, {});
    return paths;
}

bool ListFolderTree(const std::string& folder, const FolderTreeOptions& options, std::vector<std::string>& paths,
                    const ListingProgress& progress)
{
    if (folder.empty())
        return true;
    const NameMasks names(options.fileNames);
    const NameMasks skipped(options.skipFolders);
    const bool everyName = names.Empty() || names.TakesEveryName();
    ProgressTeller teller(progress);
    // Depth first, as ExpandFilePattern walks: the stack holds the folders
    // still to visit (each as the text its entries start with), the next one
    // on top.
    std::vector<std::string> pending{FolderPrefix(folder)};
    std::vector<std::size_t> folders; // this folder's subfolders, as entry indexes
    FolderReader reader;
    bool start = true;
    bool noAtime = true;
    while (!pending.empty()) {
        const std::string here = std::move(pending.back());
        pending.pop_back();
        if (!reader.Read(here, start))
            continue;
        start = false;
        folders.clear();
        const auto& entries = reader.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!teller.Step(paths.size()))
                return false;
            const FolderReader::Entry& entry = entries[i];
            const char* name = reader.Name(entry);
            // The type field spares a stat for most entries: a folder is
            // known as one, and a file's name is matched before anything
            // else is looked at.
            if (entry.type == DT_DIR) {
                if (options.subfolders && !skipped.Matches(name))
                    folders.push_back(i);
                continue;
            }
            const bool known = entry.type == DT_REG || entry.type == DT_LNK;
            if (known && !everyName && !names.Matches(name))
                continue;
            const EntryKind kind = reader.Kind(entry);
            if (kind == EntryKind::Folder && entry.type == DT_UNKNOWN) {
                if (options.subfolders && !skipped.Matches(name))
                    folders.push_back(i);
                continue;
            }
            if (kind != EntryKind::File || (!known && !everyName && !names.Matches(name)))
                continue;
            if (!Readable(reader.Fd(), name, options.skipBinary, noAtime))
                continue;
            std::string& path = paths.emplace_back();
            path.reserve(here.size() + std::strlen(name));
            path.append(here).append(name);
        }
        for (auto i = folders.rbegin(); i != folders.rend(); ++i)
            pending.push_back(here + reader.Name(entries[*i]) + "/");
    }
    return true;
}

} // namespace quillo
