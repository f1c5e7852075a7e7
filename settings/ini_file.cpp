#include "settings/ini_file.h"

#include "search/failure.h"
#include "search/save/file_writer.h"

#include <cerrno>
#include <climits>
#include <cstdint>
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

// The contents of the file as it is now: empty when there is none (a link
// whose target does not exist included), nothing when something else is
// there or it cannot be read. A FIFO is opened without waiting for a writer.
std::optional<std::string> ReadContent(const std::string& name)
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? std::optional<std::string>(std::in_place) : std::nullopt;
    std::optional<std::string> content(std::in_place);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        content.reset();
    } else {
        content->reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                content.reset();
            if (got <= 0)
                break;
            content->append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return content;
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

ProfileChanges& ProfileChanges::SetText(std::string_view section, std::string_view key, std::string_view text)
{
    edits_.push_back({std::string(section), std::string(key), std::string(text)});
    return *this;
}

ProfileChanges& ProfileChanges::SetInt(std::string_view section, std::string_view key, int value)
{
    return SetText(section, key, std::to_string(value));
}

ProfileChanges& ProfileChanges::SetFlag(std::string_view section, std::string_view key, bool value)
{
    return SetText(section, key, value ? "1" : "0");
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

TIniFile::~TIniFile() = default;

const ProfileIndex& TIniFile::Index() const
{
    if (!index_) {
        const auto content = ReadContent(fileName_);
        index_ = std::make_unique<ProfileIndex>(content ? ProfileIndex(*content) : ProfileIndex());
    }
    return *index_;
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key, std::string_view def) const
{
    const auto value = Index().Find(section, key);
    return std::string(Limit(value ? *value : def));
}

bool TIniFile::HasKey(std::string_view section, std::string_view key) const
{
    return Index().Find(section, key).has_value();
}

int TIniFile::ReadInt(std::string_view section, std::string_view key, int def) const
{
    return ParseProfileInt(ReadText(section, key, ""), def);
}

bool TIniFile::ReadFlag(std::string_view section, std::string_view key, bool def) const
{
    return ReadInt(section, key, def ? 1 : 0) != 0;
}

void TIniFile::Write(const ProfileChanges& changes) const
{
    const std::string refusal = FormatMessage(MsgUnableToWrite, fileName_);
    const auto old = ReadContent(fileName_);
    if (!old)
        throw Failure(refusal);
    const std::string content = SetProfileValues(*old, changes.Edits());
    FileWriter file(fileName_, {refusal, refusal}, FileWriter::MissingFolders::Create);
    file.Write(content);
    file.Close();
    if (index_)
        for (const ProfileEdit& edit : changes.Edits())
            index_->Set(edit.section, edit.key, edit.value);
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view text) const
{
    Write(ProfileChanges().SetText(section, key, text));
}

void TIniFile::WriteInt(std::string_view section, std::string_view key, int value) const
{
    Write(ProfileChanges().SetInt(section, key, value));
}

void TIniFile::WriteFlag(std::string_view section, std::string_view key, bool value) const
{
    Write(ProfileChanges().SetFlag(section, key, value));
}

} // namespace quillo
