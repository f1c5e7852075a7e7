// TextReader: a searched file read as text in blocks of 128 bytes, and the two
// line readers built on it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quillo {

inline constexpr std::size_t TextBlockSize = 128;
inline constexpr unsigned char TextEndMarker = 26; // Ctrl-Z: the data ends here
// What one read() asks for when blocks come from the read buffer.
inline constexpr std::size_t ReadBufferSize = std::size_t{1} << 16;

// How blocks reach the reader: cut from a read buffer that one read() fills,
// or one read() per block. Both give the same characters and block figures
// for a file that does not change while it is read.
enum class FetchMode { Buffered, PerBlock };

// What the scan learns while one line goes on past the read buffer: a line
// may be longer than memory, so only a bounded part of it is kept at a time.
class LineWatch {
public:
    // The reader fetched the next fill of the file in the middle of a line.
    // False: stop reading the line here (it is abandoned, not returned whole).
    virtual bool Refilled() = 0;
    // The line so far, up to here, which the reader stops keeping: what the
    // reader then returns is only the rest of the line, after part.
    virtual void Drop(std::string_view part) = 0;

protected:
    ~LineWatch() = default;
};

// Reading never reports an error: a file that cannot be opened or read simply
// yields fewer characters, or none, and block figures of -1.
//
// The reader hands out the file in blocks of fetchSize bytes (128 except in
// tests that reach block edges with small files), one block whenever a
// character is wanted and the blocks handed out so far are used up. With a
// read buffer, the blocks are cut from it and read() is called only when it
// runs dry; the figures count the blocks handed out, never what the buffer
// holds ahead. One reader can open file after file and keeps its buffer.
class TextReader {
public:
    explicit TextReader(std::size_t fetchSize = TextBlockSize, FetchMode mode = FetchMode::Buffered) noexcept;
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Opens a regular file read-only; never creates or changes it. An empty
    // name, a missing file, a folder, a FIFO or a device leaves it not open.
    void OpenText(const std::string& name);
    bool IsOpen() const noexcept { return fd_ >= 0; }
    // File size / 128, rounded down; -1 when not open. Until the first fetch
    // the size is the one seen at open, a moment before.
    std::int64_t BlockSize() const noexcept;
    // True at a byte 26, at the end of the data, after a failed fetch, or when not open.
    bool AtEnd() noexcept { return !Ready() || next_ == limit_; }
    // The next character, moving past it; 26 without moving where AtEnd holds.
    unsigned char TakeChar() noexcept
    {
        if (!Ready() || next_ == limit_)
            return TextEndMarker;
        return data_[next_++];
    }
    // Bytes in the blocks handed out so far / 128, rounded down; -1 when not open.
    std::int64_t BlockPosition() const noexcept
    {
        if (fd_ < 0)
            return -1;
        return static_cast<std::int64_t>((fillBase_ + blockEnd_) / TextBlockSize);
    }
    void CloseText() noexcept;

    // The data of the current buffer fill, up to its first byte 26, and a
    // number that changes with every fill (of any file). A line that
    // ReadDosLine or ReadUnixLine returns lies in it, or in their spill.
    std::string_view FillData() const noexcept
    {
        return {reinterpret_cast<const char*>(data_), limit_};
    }
    std::uint64_t FillNumber() const noexcept { return fills_; }

    // For a scan that searches a whole fill at once instead of line by line:
    // the fill's bytes (64-byte aligned; loads of whole 64-byte windows up to
    // 64 bytes past FilledOffset are safe), the offsets of the next
    // character, of the first byte 26 (else FilledOffset) and of the end of
    // the fill's data. Valid while AtEnd is false, until the reader moves.
    const unsigned char* FillBytes() const noexcept { return data_; }
    std::size_t NextOffset() const noexcept { return next_; }
    std::size_t LimitOffset() const noexcept { return limit_; }
    std::size_t FilledOffset() const noexcept { return filled_; }
    // Moves past lines the scan took itself: next (<= LimitOffset) becomes
    // the next character, and the blocks up to the one holding the last byte
    // looked at (< FilledOffset) are handed out, as the line readers would.
    void Skip(std::size_t next, std::size_t lastLooked) noexcept
    {
        Cover(lastLooked);
        next_ = next;
    }

    // The next line, as ReadDosLine or ReadUnixLine give it, with the watch
    // told of every fill inside the line. A line that goes on past
    // keepBytes is handed to the watch's Drop in parts of at least keepBytes
    // and never held whole.
    std::string_view ReadWatchedLine(std::string& spill, bool unixEnds, LineWatch& watch, std::size_t keepBytes);
    // Offset in the file of the next character.
    std::uint64_t Offset() const noexcept { return fillBase_ + next_; }
    // Reads length bytes of the open file from offset into out, without
    // moving the reader; out is shorter when the file holds fewer.
    void ReadAt(std::uint64_t offset, std::size_t length, std::string& out) const;

private:
    friend std::string_view ReadDosLine(TextReader& reader, std::string& spill);
    friend std::string_view ReadUnixLine(TextReader& reader, std::string& spill);

    // Makes the next character part of the blocks handed out, handing out the
    // next block or refilling the buffer when needed. False when there is no
    // next character: the end of the data, a failed read, not open.
    bool Ready() noexcept
    {
        if (next_ < blockEnd_)
            return true;
        if (blockEnd_ < filled_) {
            blockEnd_ = std::min(filled_, blockEnd_ + fetchSize_);
            return true;
        }
        return Refill();
    }
    bool Refill() noexcept;
    // Hands out blocks up to the one holding the byte at offset (< filled_).
    void Cover(std::size_t offset) noexcept
    {
        if (offset >= blockEnd_)
            blockEnd_ = std::min(filled_, (offset / fetchSize_ + 1) * fetchSize_);
    }
    // Offset of the first line end (CR; also LF with unixEnds) from next_ on,
    // limit_ when there is none before it.
    std::size_t NextLineEnd(bool unixEnds) noexcept;
    // Ends a line at the line end found at offset (< limit_): takes it, and
    // after a CR looks at the next character and takes an LF there.
    void TakeLineEnd(std::size_t offset) noexcept;
    // The characters up to the next line end (CR; also LF with unixEnds),
    // byte 26 or end of the data, then the line end.
    std::string_view ReadLine(std::string& spill, bool unixEnds, LineWatch* watch = nullptr,
                              std::size_t keepBytes = SIZE_MAX);

    int fd_ = -1;
    std::size_t fetchSize_;
    std::size_t capacity_; // a whole number of blocks
    std::unique_ptr<unsigned char[]> storage_; // made at the first open
    unsigned char* data_ = nullptr;             // the buffer, 64-byte aligned, in storage_
    // Offsets into data_: next_ <= blockEnd_ <= filled_, next_ <= limit_ <= filled_.
    std::size_t filled_ = 0;   // bytes the last read() gave
    std::size_t blockEnd_ = 0; // end of the blocks handed out
    std::size_t next_ = 0;     // next character to hand out
    std::size_t limit_ = 0;    // first byte 26 in the buffer, else filled_
    std::uint64_t fillBase_ = 0; // bytes of the file before data_[0]
    bool ended_ = false;         // read() found the end: it reads as a byte 26 for good
    std::uint64_t fills_ = 0;    // fills so far, over all files
    std::int64_t openSize_ = -1; // the size at open, until the first fetch
    // The line ends of one aligned 64-byte window of the buffer (bit i for
    // byte window_ + i), kept for the lines that end in it.
    static constexpr std::size_t NoWindow = SIZE_MAX;
    std::size_t window_ = NoWindow;
    std::uint64_t windowEnds_ = 0;
    bool windowUnix_ = false;
};

// Reads the next line of the file. Called only after AtEnd was false. The line
// lies in the read buffer, or in spill when it does not end inside the
// buffer's data; either way it stays valid until the reader is used again.
using LineReader = std::string_view (*)(TextReader& reader, std::string& spill);

// Standard mode: a line ends at CR or CR LF; a lone LF is part of the line.
std::string_view ReadDosLine(TextReader& reader, std::string& spill);
// Unix mode: a line ends at LF, CR or CR LF.
std::string_view ReadUnixLine(TextReader& reader, std::string& spill);

} // namespace quillo
