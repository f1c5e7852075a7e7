#include "search/save/write_target.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {
namespace {

// As many links as the kernel follows itself before it gives up.
constexpr int MaxLinks = 40;

std::optional<std::string> ReadLink(const std::string& path)
{
    std::string text(256, '\0');
    for (;;) {
        const ssize_t got = ::readlink(path.c_str(), text.data(), text.size());
        if (got < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(got) < text.size()) {
            text.resize(static_cast<std::size_t>(got));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

} // namespace

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<WriteTarget> FindWriteTarget(const std::string& name)
{
    WriteTarget target{name};
    struct stat st {};
    for (int links = 0;; ++links) {
        if (::lstat(target.path.c_str(), &st) != 0)
            return errno == ENOENT ? std::optional(target) : std::nullopt;
        if (!S_ISLNK(st.st_mode))
            break;
        const auto link = ReadLink(target.path);
        if (links == MaxLinks || !link || link->empty())
            return std::nullopt;
        // A relative link counts from the folder that holds it.
        if (link->front() == '/' || target.path.find('/') == std::string::npos)
            target.path = *link;
        else if (const std::string folder = FolderOf(target.path); folder == "/")
            target.path = "/" + *link;
        else
            target.path = folder + "/" + *link;
    }
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    // No write bit at all marks a file as read-only, for root as well; beyond
    // that the file's own permissions decide, not only its folder's.
    if ((st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0)
        return std::nullopt;
    target.exists = true;
    target.mode = st.st_mode & 07777;
    target.owner = st.st_uid;
    target.group = st.st_gid;
    target.links = st.st_nlink;
    target.device = st.st_dev;
    target.inode = st.st_ino;
    return target;
}

} // namespace quillo
