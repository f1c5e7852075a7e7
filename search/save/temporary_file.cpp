#include "search/save/temporary_file.h"

#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {
namespace {

constexpr std::string_view Prefix = ".quillo-";
constexpr std::size_t RandomChars = 6;
constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int Attempts = 100;

std::string InFolder(const std::string& folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    std::string path = folder == "/" ? std::string() : folder;
    return path.append("/").append(name);
}

std::string RandomName()
{
    unsigned char bytes[RandomChars];
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy to be had yet: the clock and a counter still make a
        // name that O_EXCL checks.
        static unsigned counter = 0;
        auto mix = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                   (static_cast<unsigned long long>(::getpid()) << 32) ^ (++counter * 0x9E3779B97F4A7C15ULL);
        for (auto& byte : bytes) {
            byte = static_cast<unsigned char>(mix);
            mix = (mix >> 8) | (mix << 56);
        }
    }
    std::string name(Prefix);
    for (const unsigned char byte : bytes)
        name += Alphabet[byte % Alphabet.size()];
    return name;
}

// Whether path still names the file open as fd.
bool SameFile(int fd, const std::string& path)
{
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Takes the file's lock unless another holds it. A file system without
// locks counts as taken: nothing then removes the file as stale.
enum class Lock { Taken, Held, NotOffered };
Lock TakeLock(int fd)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return Lock::Taken;
    return errno == EWOULDBLOCK ? Lock::Held : Lock::NotOffered;
}

std::optional<TemporaryFile> CreateNamed(const std::string& folder, auto make)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const std::string name = InFolder(folder, RandomName());
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return std::nullopt;
        }
        // A clean-up that took the lock first removes the name: try another.
        if (TakeLock(fd) != Lock::Held && SameFile(fd, name))
            return make(fd, name);
        ::close(fd);
    }
    errno = EEXIST;
    return std::nullopt;
}

} // namespace

bool IsTemporaryName(const std::string& name)
{
    if (name.size() != Prefix.size() + RandomChars || !name.starts_with(Prefix))
        return false;
    for (std::size_t i = Prefix.size(); i < name.size(); ++i)
        if (Alphabet.find(name[i]) == std::string_view::npos)
            return false;
    return true;
}

TemporaryFile::TemporaryFile(int fd, std::string folder, std::string name) noexcept
    : fd_(fd), folder_(std::move(folder)), name_(std::move(name))
{
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : fd_(other.fd_), folder_(std::move(other.folder_)), name_(std::move(other.name_))
{
    other.fd_ = -1;
    other.name_.clear();
}

TemporaryFile::~TemporaryFile()
{
    Discard();
}

std::optional<TemporaryFile> TemporaryFile::Create(const std::string& folder)
{
    const auto make = [&folder](int fd, std::string name) { return TemporaryFile(fd, folder, std::move(name)); };
    // An unnamed file is of use only where it can be linked later: by its
    // descriptor's entry in /proc, or by the descriptor itself (which needs
    // a privilege).
    if (::access("/proc/self/fd", X_OK) == 0 || ::geteuid() == 0) {
        const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd >= 0) {
            (void)TakeLock(fd); // held on from the moment it gets a name
            return make(fd, {});
        }
        // Only a file system (or kernel) without unnamed files falls back.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return std::nullopt;
    }
    return CreateNamed(folder, make);
}

bool TemporaryFile::LinkAs(const std::string& path) const
{
    if (::linkat(fd_, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool TemporaryFile::ReplaceInto(const std::string& target, bool targetExists)
{
    if (Unnamed()) {
        // A new file appears under its name in one step, with no other name
        // between; one that appeared meanwhile is replaced as any other.
        if (!targetExists && LinkAs(target))
            return true;
        if (!targetExists && errno != EEXIST)
            return false;
        for (int attempt = 0;; ++attempt) {
            const std::string name = InFolder(folder_, RandomName());
            if (LinkAs(name)) {
                name_ = name;
                break;
            }
            if (errno != EEXIST || attempt == Attempts)
                return false;
        }
    }
    if (::rename(name_.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(name_.c_str());
        name_.clear();
        errno = error;
        return false;
    }
    name_.clear();
    return true;
}

bool TemporaryFile::Close() noexcept
{
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
}

void TemporaryFile::Discard() noexcept
{
    // The name goes first, while the lock still keeps clean-ups off it.
    if (!name_.empty())
        ::unlink(name_.c_str());
    name_.clear();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void RemoveStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    const uid_t user = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name) || (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN))
            continue;
        const std::string path = InFolder(folder, entry->d_name);
        struct stat st {};
        // Looked at before it is opened, so that nothing but a plain file of
        // this user is ever opened; looked at again once open.
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != user || st.st_nlink != 1)
            continue;
        const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            continue;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == user && st.st_nlink == 1 &&
            TakeLock(fd) == Lock::Taken && SameFile(fd, path))
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace quillo
