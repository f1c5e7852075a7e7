#include "file_writer.h"

#include "failure.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillo {
namespace {
constexpr std::size_t BufferBytes = std::size_t{1} << 20;
}

FileWriter::FileWriter(const std::string& name)
    : fd_(::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666))
{
    if (fd_ < 0)
        throw Failure(FormatMessage(MsgCannotCreateFile, name));
    buffer_.reserve(BufferBytes);
}

FileWriter::~FileWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
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
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            throw Failure(std::string(MsgStreamWriteError));
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
}

void FileWriter::Close()
{
    Flush();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        throw Failure(std::string(MsgStreamWriteError));
}

} // namespace quillo
