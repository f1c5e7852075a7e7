#include "output_file.h"

#include "failure.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace quillo {
namespace {

class OutputFile {
public:
    explicit OutputFile(const std::string& name)
        : fd_(::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666))
    {
        if (fd_ < 0)
            throw Failure(FormatMessage(MsgCannotCreateFile, name));
    }
    ~OutputFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::string_view bytes)
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
    void Close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            throw Failure(std::string(MsgStreamWriteError));
    }

private:
    int fd_;
};

} // namespace

void SaveOutputFile(const OutputLineStore& lines, const std::string& fileName)
{
    OutputFile file(fileName);
    constexpr std::size_t FlushAt = std::size_t{1} << 20;
    std::string buffer;
    buffer.reserve(FlushAt + 4096);
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        const std::string_view line = lines.Line(i);
        if (line.size() >= FlushAt) {
            file.Write(buffer);
            buffer.clear();
            file.Write(line);
        } else {
            buffer += line;
        }
        buffer += "\r\n";
        if (buffer.size() >= FlushAt) {
            file.Write(buffer);
            buffer.clear();
        }
    }
    file.Write(buffer);
    file.Close();
}

} // namespace quillo
