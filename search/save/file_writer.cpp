#include "search/save/file_writer.h"

#include "search/failure.h"
#include "search/save/write_target.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {
namespace {

constexpr std::size_t BufferBytes = std::size_t{1} << 20;

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
    targetExists_ = target->exists;
    const std::string folder = FolderOf(target_);
    struct stat st {};
    if (!targetExists_ && folders == MissingFolders::Create && !folder.empty() && ::stat(folder.c_str(), &st) != 0 &&
        errno == ENOENT)
        (void)MakeFolders(folder); // where it fails, creating the file fails too
    if (!OpenReplacement(*target, folder))
        OpenInPlace(*target);
    buffer_.reserve(BufferBytes);
}

// The replace keeps the file what it was only where the user may write the
// folder and the file is the user's own with one name: the new file is then
// the user's, in the same folder, with the same bits and group. Anything
// else would hand another user's file to the user, cut off its other names
// or be refused by the folder.
bool FileWriter::OpenReplacement(const WriteTarget& target, const std::string& folder)
{
    const char* where = folder.empty() ? "." : folder.c_str();
    if (::faccessat(AT_FDCWD, where, W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    if (target.exists && (target.owner != ::geteuid() || target.links != 1))
        return false;
    RemoveStaleTemporaries(folder);
    auto made = TemporaryFile::Create(folder);
    if (!made)
        throw Failure(messages_.cannotCreate);
    temporary_.emplace(std::move(*made));
    fd_ = temporary_->Fd();
    if (target.exists) {
        // A group the user may not give the file (one the user is not in) is
        // kept by writing in place instead.
        if (target.group != ::getegid() && ::fchown(fd_, static_cast<uid_t>(-1), target.group) != 0) {
            Discard();
            return false;
        }
        if (::fchmod(fd_, target.mode) != 0)
            Fail(messages_.cannotCreate);
    }
    return true;
}

// Opened without following a link and without waiting (a FIFO swapped in
// meanwhile), checked to be the file that was looked at, and truncated only
// when the first bytes are written. An existing file is opened without
// O_CREAT, which a sticky folder may refuse for another user's file.
void FileWriter::OpenInPlace(const WriteTarget& target)
{
    constexpr int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
    fd_ = target.exists ? ::open(target_.c_str(), flags) : ::open(target_.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (fd_ < 0)
        throw Failure(messages_.cannotCreate);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
        (target.exists && (st.st_dev != target.device || st.st_ino != target.inode)) ||
        ::fcntl(fd_, F_SETFL, 0) != 0)
        Fail(messages_.cannotCreate);
    truncatePending_ = target.exists;
}

FileWriter::~FileWriter()
{
    Discard();
}

void FileWriter::Discard() noexcept
{
    if (temporary_)
        temporary_->Discard(); // its descriptor is fd_
    else if (fd_ >= 0)
        ::close(fd_);
    temporary_.reset();
    fd_ = -1;
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
    if (truncatePending_) {
        if (::ftruncate(fd_, 0) != 0)
            Fail(messages_.writeError);
        truncatePending_ = false;
    }
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
    if (::fsync(fd_) != 0)
        Fail(messages_.writeError);
    if (!temporary_) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            throw Failure(messages_.writeError);
        return;
    }
    if (!temporary_->ReplaceInto(target_, targetExists_))
        Fail(messages_.cannotCreate);
    const bool closed = temporary_->Close();
    temporary_.reset();
    fd_ = -1;
    if (!closed)
        throw Failure(messages_.writeError);
    SyncFolder(FolderOf(target_));
}

} // namespace quillo
