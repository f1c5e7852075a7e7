#include "file_writer.h"

#include "failure.h"
#include "write_target.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {
namespace {

constexpr std::size_t BufferBytes = std::size_t{1} << 20;

// A new, empty file beside target, named after it and hidden: mode 0666 less
// the umask, as an ordinary new file gets. -1 with errno when none can be made.
int CreateTemporary(const std::string& target, std::string& name)
{
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%d.%llx%x.tmp", static_cast<int>(::getpid()), tick & 0xFFFFFF,
                      ++counter);
        name = folder + "." + base + suffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// mkdir -p with mode 0700, as a user's own configuration folders get.
bool MakeFolders(const std::string& folder)
{
    if (folder.empty())
        return false;
    for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (at == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // for durability only: the file is in place already
        ::close(fd);
    }
}

} // namespace

FileWriter::FileWriter(const std::string& name)
    : FileWriter(name, {FormatMessage(MsgCannotCreateFile, name), std::string(MsgStreamWriteError)},
                 MissingFolders::Refuse)
{
}

FileWriter::FileWriter(const std::string& name, Messages messages, MissingFolders folders)
    : messages_(std::move(messages))
{
    const auto target = FindWriteTarget(name);
    if (!target)
        throw Failure(messages_.cannotCreate);
    target_ = target->path;
    fd_ = CreateTemporary(target_, temporary_);
    if (fd_ < 0 && errno == ENOENT && folders == MissingFolders::Create && MakeFolders(FolderOf(target_)))
        fd_ = CreateTemporary(target_, temporary_);
    if (fd_ < 0)
        throw Failure(messages_.cannotCreate);
    if (target->exists) {
        // Only root (or the owner, for the group) may hand the file over;
        // where that is refused the new file is ours, with the old bits.
        if (target->owner != ::geteuid() || target->group != ::getegid())
            (void)!::fchown(fd_, target->owner, target->group);
        if (::fchmod(fd_, target->mode) != 0)
            Fail(messages_.cannotCreate);
    }
    buffer_.reserve(BufferBytes);
}

FileWriter::~FileWriter()
{
    Discard();
}

void FileWriter::Discard() noexcept
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

void FileWriter::Fail(const std::string& message)
{
    Discard();
    throw Failure(message);
}

void FileWriter::Write(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > BufferBytes)
        Flush();
    if (bytes.size() >= BufferBytes)
        WriteThrough(bytes);
    else
        buffer_ += bytes;
}

void FileWriter::Flush()
{
    WriteThrough(buffer_);
    buffer_.clear();
}

void FileWriter::WriteThrough(std::string_view bytes)
{
    if (fd_ < 0)
        throw Failure(messages_.writeError);
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            Fail(messages_.writeError);
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
}

void FileWriter::Close()
{
    Flush();
    const bool synced = ::fsync(fd_) == 0;
    const int fd = fd_;
    fd_ = -1;
    if (!(::close(fd) == 0 && synced))
        Fail(messages_.writeError);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        Fail(messages_.cannotCreate);
    temporary_.clear();
    SyncFolder(FolderOf(target_));
}

} // namespace quillo
