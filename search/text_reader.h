// TextReader: a searched file read as text, fetched in blocks of 128 bytes, and
// the two line readers built on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillo {

inline constexpr std::size_t TextBlockSize = 128;
inline constexpr unsigned char TextEndMarker = 26; // Ctrl-Z: the data ends here

// Reading never reports an error: a file that cannot be opened or read simply
// yields fewer characters, or none, and block figures of -1.
class TextReader {
public:
    // fetchSize: bytes asked for per fetch; 128 except in tests that want to
    // reach block edges with small files.
    explicit TextReader(std::size_t fetchSize = TextBlockSize) noexcept;
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Opens a regular file read-only; never creates or changes it. An empty
    // name, a missing file, a folder, a FIFO or a device leaves it not open.
    void OpenText(const std::string& name);
    bool IsOpen() const noexcept { return fd_ >= 0; }
    // File size / 128, rounded down; -1 when not open.
    std::int64_t BlockSize() const noexcept;
    // True at a byte 26, at the end of the data, after a failed fetch, or when not open.
    bool AtEnd() noexcept { return Available().empty(); }
    // The next character, moving past it; 26 without moving where AtEnd holds.
    unsigned char TakeChar() noexcept;
    // Bytes fetched so far / 128, rounded down; -1 when not open.
    std::int64_t BlockPosition() const noexcept;
    void CloseText() noexcept;

    // The characters ready to be taken, up to the next byte 26 or the end of
    // the current block; fetches a block when the current one is used up.
    // Empty exactly when AtEnd holds.
    std::string_view Available() noexcept
    {
        if (next_ == filled_)
            Fetch();
        return {reinterpret_cast<const char*>(block_) + next_, limit_ - next_};
    }
    // Moves past n characters of Available().
    void Skip(std::size_t n) noexcept { next_ += static_cast<unsigned>(n); }

private:
    friend void ReadDosLine(TextReader& reader, std::string& line);
    friend void ReadUnixLine(TextReader& reader, std::string& line);

    void Fetch() noexcept;
    // Offset within Available() (not empty) of its first CR, or of its first
    // CR or LF with unixEnds; Available().size() when there is none.
    std::size_t LineEnd(bool unixEnds) noexcept;
    // Fills ends_ for the current block; returns whether it holds a byte 26.
    bool MarkLineEnds() noexcept;

    int fd_ = -1;
    unsigned fetchSize_;
    unsigned filled_ = 0; // valid bytes in block_, the end marker included
    unsigned next_ = 0;   // next character to hand out
    unsigned limit_ = 0;  // first byte 26 in block_, else filled_
    // Where block_ holds line ends (bit i of word i / 64 for byte i): CR, and LF
    // too with unixEnds_ (the mode of the last line read). Made once per fetch
    // so that a line end is found without a scan; bits from filled_ on mean
    // nothing.
    std::uint64_t ends_[2] = {};
    bool unixEnds_ = false;
    // Aligned for the fetch's 16-byte loads of all 128 bytes, and zeroed so
    // that the bytes a short fetch leaves unwritten are never undefined.
    alignas(16) unsigned char block_[TextBlockSize + 1] = {};
};

// Replace line with the next line of the file. Called only after AtEnd was false.
using LineReader = void (*)(TextReader& reader, std::string& line);

// Standard mode: a line ends at CR or CR LF; a lone LF is part of the line.
void ReadDosLine(TextReader& reader, std::string& line);
// Unix mode: a line ends at LF, CR or CR LF.
void ReadUnixLine(TextReader& reader, std::string& line);

} // namespace quillo
