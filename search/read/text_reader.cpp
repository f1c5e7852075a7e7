#include "search/read/text_reader.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillo {
namespace {

// Bytes past the buffer's capacity that the line end search may load: the
// rest of the last 64-byte window.
constexpr std::size_t LoadPadding = 64;
constexpr std::size_t Window = 64;

// Bit i set where p[i] (p 64-byte aligned) is CR, or with unixEnds CR or LF.
inline std::uint64_t WindowLineEnds(const unsigned char* p, bool unixEnds) noexcept
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i other = _mm_set1_epi8(unixEnds ? '\n' : '\r');
    auto bits = [&](std::size_t at) -> std::uint64_t {
        const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(p + at));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, other))));
    };
    return bits(0) | bits(16) << 16 | bits(32) << 32 | bits(48) << 48;
#else
    std::uint64_t ends = 0;
    for (std::size_t i = 0; i < Window; ++i)
        if (p[i] == '\r' || (unixEnds && p[i] == '\n'))
            ends |= std::uint64_t{1} << i;
    return ends;
#endif
}

} // namespace

TextReader::TextReader(std::size_t fetchSize, FetchMode mode) noexcept
    : fetchSize_(std::clamp<std::size_t>(fetchSize, 1, TextBlockSize)),
      capacity_(mode == FetchMode::Buffered ? ReadBufferSize / fetchSize_ * fetchSize_ : fetchSize_)
{
}

TextReader::~TextReader() { CloseText(); }

void TextReader::OpenText(const std::string& name)
{
    CloseText();
    // An empty name never reads standard input: for a windowed program it is
    // often a terminal, and reading it would stall the window.
    if (name.empty())
        return;
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    // Only regular files: a FIFO would block the UI thread, a device such as
    // /dev/zero would grow one endless line.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    if (!storage_) {
        storage_ = std::make_unique<unsigned char[]>(capacity_ + LoadPadding + Window - 1);
        const auto address = reinterpret_cast<std::uintptr_t>(storage_.get());
        data_ = storage_.get() + (Window - address % Window) % Window;
    }
    fd_ = fd;
    openSize_ = static_cast<std::int64_t>(st.st_size);
}

std::int64_t TextReader::BlockSize() const noexcept
{
    if (fd_ < 0)
        return -1;
    if (openSize_ >= 0)
        return openSize_ / static_cast<std::int64_t>(TextBlockSize);
    struct stat st;
    if (::fstat(fd_, &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size) / static_cast<std::int64_t>(TextBlockSize);
}

void TextReader::CloseText() noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    filled_ = blockEnd_ = next_ = limit_ = 0;
    fillBase_ = 0;
    ended_ = false;
    window_ = NoWindow;
    openSize_ = -1;
}

bool TextReader::Refill() noexcept
{
    if (fd_ < 0 || ended_)
        return false;
    fillBase_ += filled_;
    filled_ = blockEnd_ = next_ = limit_ = 0;
    window_ = NoWindow;
    openSize_ = -1; // the file may have changed since the open
    ssize_t got;
    do
        got = ::read(fd_, data_, capacity_);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return false; // reads as the end; the next request reads again
    if (got == 0) {
        ended_ = true; // the end reads as a byte 26 that is never passed
        return false;
    }
    filled_ = static_cast<std::size_t>(got);
    ++fills_;
    const void* marker = std::memchr(data_, TextEndMarker, filled_);
    limit_ = marker ? static_cast<std::size_t>(static_cast<const unsigned char*>(marker) - data_) : filled_;
    blockEnd_ = std::min(filled_, fetchSize_);
    return true;
}

std::size_t TextReader::NextLineEnd(bool unixEnds) noexcept
{
    std::size_t from = next_;
    const std::size_t window = from - from % Window;
    if (window != window_ || unixEnds != windowUnix_) {
        window_ = window;
        windowUnix_ = unixEnds;
        windowEnds_ = WindowLineEnds(data_ + window, unixEnds);
    }
    // Bits past limit_ (a byte 26, the end of the data or bytes left over
    // from before) are cut off by the min below.
    std::uint64_t ends = windowEnds_ >> (from - window);
    while (!ends) {
        window_ += Window;
        if (window_ >= limit_) {
            window_ = NoWindow;
            return limit_;
        }
        windowEnds_ = WindowLineEnds(data_ + window_, unixEnds);
        ends = windowEnds_;
        from = window_;
    }
    return std::min(limit_, from + static_cast<std::size_t>(std::countr_zero(ends)));
}

inline void TextReader::TakeLineEnd(std::size_t offset) noexcept
{
    Cover(offset);
    next_ = offset + 1;
    if (data_[offset] == '\r' && Ready() && data_[next_] == '\n')
        ++next_;
}

std::string_view TextReader::ReadLine(std::string& spill, bool unixEnds, LineWatch* watch, std::size_t keepBytes)
{
    bool spilled = false; // the line so far is in spill
    while (Ready()) {
        if (spilled && watch) {
            // A new fill in the middle of the line.
            if (spill.size() >= keepBytes) {
                watch->Drop(spill);
                spill.clear();
            }
            if (!watch->Refilled())
                return {};
        }
        // Everything up to the next byte 26 or the end of the buffer's data is
        // searched at once; the blocks are handed out up to the last
        // character looked at, as if the characters were taken one by one.
        const char* from = reinterpret_cast<const char*>(data_) + next_;
        const std::size_t ready = limit_ - next_;
        const std::size_t end = NextLineEnd(unixEnds);
        const std::size_t length = end - next_;
        const bool lineEnd = length < ready;
        // Looking behind a CR that ends the buffer's data refills the buffer,
        // so such a line is kept in spill first.
        const bool refillsBehind = lineEnd && data_[end] == '\r' && end + 1 == filled_;
        if (!spilled && (lineEnd || limit_ < filled_) && !refillsBehind) {
            if (lineEnd) {
                TakeLineEnd(end);
            } else {
                next_ = limit_;
                Cover(limit_); // a byte 26: looked at and left
            }
            return {from, length};
        }
        if (!spilled) {
            spill.clear();
            spilled = true;
        }
        spill.append(from, length);
        if (lineEnd) {
            TakeLineEnd(end);
            return spill;
        }
        next_ = limit_;
        if (limit_ < filled_) {
            Cover(limit_);
            return spill;
        }
        blockEnd_ = filled_; // the line goes on past the buffer's data
    }
    return spilled ? std::string_view(spill) : std::string_view();
}

std::string_view TextReader::ReadWatchedLine(std::string& spill, bool unixEnds, LineWatch& watch,
                                             std::size_t keepBytes)
{
    return ReadLine(spill, unixEnds, &watch, std::max<std::size_t>(keepBytes, 1));
}

void TextReader::ReadAt(std::uint64_t offset, std::size_t length, std::string& out) const
{
    out.resize(length);
    std::size_t got = 0;
    while (fd_ >= 0 && got < length) {
        const ssize_t n = ::pread(fd_, out.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
}

std::string_view ReadDosLine(TextReader& reader, std::string& spill) { return reader.ReadLine(spill, false); }

std::string_view ReadUnixLine(TextReader& reader, std::string& spill) { return reader.ReadLine(spill, true); }

} // namespace quillo
