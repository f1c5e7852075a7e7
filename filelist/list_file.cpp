#include "list_file.h"

#include "search/failure.h"
#include "search/save/file_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {

std::vector<std::string> ParseListText(std::string_view text)
{
    if (const void* zero = std::memchr(text.data(), 0, text.size()))
        text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - text.data()));
    std::vector<std::string> entries;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            entries.emplace_back(text);
            break;
        }
        entries.emplace_back(text.substr(0, end));
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crLf ? 2 : 1));
    }
    return entries;
}

namespace {

class InputFile {
public:
    explicit InputFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        struct stat st;
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ < 0)
            throw Failure(FormatMessage(MsgCannotOpenFile, path));
    }
    ~InputFile() { ::close(fd_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Everything up to the end, or up to a read error.
    std::string ReadAll()
    {
        std::string text;
        char block[65536];
        for (;;) {
            const ssize_t got = ::read(fd_, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return text;
            text.append(block, static_cast<std::size_t>(got));
        }
    }

private:
    int fd_;
};

} // namespace

std::vector<std::string> ReadListFile(const std::string& path)
{
    InputFile file(path);
    return ParseListText(file.ReadAll());
}

void WriteListFile(const std::string& path, const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries)
        if (entry.find_first_of("\r\n") != std::string::npos)
            throw Failure(FormatMessage(MsgNameWithLineEnd, entry));
    FileWriter file(path, {FormatMessage(MsgCannotCreateFile, path), std::string(MsgStreamWriteError)},
                    FileWriter::MissingFolders::Create);
    for (const std::string& entry : entries) {
        file.Write(entry);
        file.Write("\r\n");
    }
    file.Close();
}

} // namespace quillo
