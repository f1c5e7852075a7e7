#include "settings/ini_file.h"

#include "search/failure.h"
#include "settings/profile_format.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string_view Limit(std::string_view text) { return text.substr(0, ProfileTextLimit); }

class Fd {
public:
    explicit Fd(int fd) noexcept : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const noexcept { return fd_; }
    // Closes now, reporting whether the close went well.
    bool Close() noexcept
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool ReadAll(int fd, std::string& out)
{
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        out.append(buffer, static_cast<std::size_t>(got));
    }
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

// The contents of a regular file, or nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& name)
{
    Fd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st;
    std::string content;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || !ReadAll(fd.get(), content))
        return std::nullopt;
    return content;
}

// The file a write replaces: a symbolic link's target, else the name itself.
std::string WriteTarget(const std::string& name)
{
    struct stat st;
    if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(name.c_str(), nullptr)) {
            std::string target(real);
            std::free(real);
            return target;
        }
    }
    return name;
}

// Creates a new, empty file beside target: mode 0666 less the umask.
std::pair<int, std::string> CreateTemporary(const std::string& target)
{
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count());
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%d.%llx%x.tmp", static_cast<int>(::getpid()), tick & 0xFFFFFF,
                      ++counter);
        std::string name = folder + "." + base + suffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0)
            return {fd, std::move(name)};
        if (errno != EEXIST)
            break;
    }
    return {-1, {}};
}

void SyncFolderOf(const std::string& target)
{
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get()); // only for durability: the rename has been done
}

} // namespace

int ParseProfileInt(std::string_view text, int def)
{
    std::string converted;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        converted = "$";
        converted.append(text.substr(2));
        text = converted;
    }
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i == text.size())
        return def;
    if (text[i] == '$') {
        if (++i == text.size())
            return def;
        std::uint64_t value = 0;
        for (; i < text.size(); ++i) {
            const int digit = HexDigit(text[i]);
            if (digit < 0)
                return def;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > UINT32_MAX)
                return def;
        }
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+')
        ++i;
    if (i == text.size())
        return def;
    const std::int64_t limit = negative ? -std::int64_t{INT_MIN} : INT_MAX;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return def;
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            return def;
    }
    return static_cast<int>(negative ? -value : value);
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key, std::string_view def) const
{
    if (const auto content = ReadFile(fileName_))
        if (const auto value = FindProfileValue(*content, section, key))
            return std::string(Limit(*value));
    return std::string(Limit(def));
}

int TIniFile::ReadInt(std::string_view section, std::string_view key, int def) const
{
    return ParseProfileInt(ReadText(section, key, ""), def);
}

bool TIniFile::ReadFlag(std::string_view section, std::string_view key, bool def) const
{
    return ReadInt(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view text) const
{
    const auto refuse = [this]() { return Failure(FormatMessage(MsgUnableToWrite, fileName_)); };
    const std::string target = WriteTarget(fileName_);

    std::string old;
    struct stat st {};
    bool exists = true;
    {
        Fd fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (fd.get() < 0 && errno == ENOENT)
            exists = false;
        else if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
            throw refuse();
        // No write bit at all marks a read-only file, for root too; beyond that
        // the file's own permissions decide, not just the folder's.
        else if ((st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 ||
                 !ReadAll(fd.get(), old))
            throw refuse();
    }
    const std::string content = SetProfileValue(old, section, key, text);

    auto [tempFd, tempName] = CreateTemporary(target);
    if (tempFd < 0)
        throw refuse();
    Fd temp(tempFd);
    bool ok = WriteAll(temp.get(), content);
    if (ok && exists) {
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)!::fchown(temp.get(), st.st_uid, st.st_gid); // only root or the owner may
        ok = ::fchmod(temp.get(), st.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(temp.get()) == 0;
    ok = temp.Close() && ok;
    ok = ok && ::rename(tempName.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempName.c_str());
        throw refuse();
    }
    SyncFolderOf(target);
}

void TIniFile::WriteInt(std::string_view section, std::string_view key, int value) const
{
    WriteText(section, key, std::to_string(value));
}

void TIniFile::WriteFlag(std::string_view section, std::string_view key, bool value) const
{
    WriteText(section, key, value ? "1" : "0");
}

} // namespace quillo
