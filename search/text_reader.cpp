#include "text_reader.h"

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

// Bytes past the buffer's capacity that the line end search may load.
constexpr std::size_t LoadPadding = 64;

#if defined(__SSE2__)
// Bit i set where p[i] is CR or other, for i in [0, 16).
inline std::uint64_t EndBits16(const unsigned char* p, __m128i cr, __m128i other) noexcept
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, other))));
}
#endif

// Offset of the first CR (or CR or LF with unixEnds) among p[0, n); n when
// there is none. May load up to 63 bytes past p + n.
inline std::size_t FindLineEnd(const unsigned char* p, std::size_t n, bool unixEnds) noexcept
{
#if defined(__SSE2__)
    // 64 bytes a step, one branch each: most lines end within one or two.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i other = _mm_set1_epi8(unixEnds ? '\n' : '\r');
    for (std::size_t at = 0; at < n; at += 64) {
        const std::uint64_t ends = EndBits16(p + at, cr, other) | EndBits16(p + at + 16, cr, other) << 16 |
                                   EndBits16(p + at + 32, cr, other) << 32 | EndBits16(p + at + 48, cr, other) << 48;
        if (ends)
            return std::min(n, at + static_cast<std::size_t>(std::countr_zero(ends)));
    }
    return n;
#else
    for (std::size_t at = 0; at < n; ++at)
        if (p[at] == '\r' || (unixEnds && p[at] == '\n'))
            return at;
    return n;
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
    if (!buffer_)
        buffer_ = std::make_unique<unsigned char[]>(capacity_ + LoadPadding);
    fd_ = fd;
}

std::int64_t TextReader::BlockSize() const noexcept
{
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
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
}

bool TextReader::Refill() noexcept
{
    if (fd_ < 0 || ended_)
        return false;
    fillBase_ += filled_;
    filled_ = blockEnd_ = next_ = limit_ = 0;
    ssize_t got;
    do
        got = ::read(fd_, buffer_.get(), capacity_);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return false; // reads as the end; the next request reads again
    if (got == 0) {
        ended_ = true; // the end reads as a byte 26 that is never passed
        return false;
    }
    filled_ = static_cast<std::size_t>(got);
    const void* marker = std::memchr(buffer_.get(), TextEndMarker, filled_);
    limit_ = marker ? static_cast<std::size_t>(static_cast<const unsigned char*>(marker) - buffer_.get()) : filled_;
    blockEnd_ = std::min(filled_, fetchSize_);
    return true;
}

inline void TextReader::TakeLineEnd(std::size_t offset) noexcept
{
    Cover(offset);
    next_ = offset + 1;
    if (buffer_[offset] == '\r' && Ready() && buffer_[next_] == '\n')
        ++next_;
}

std::string_view TextReader::ReadLine(std::string& spill, bool unixEnds)
{
    bool spilled = false; // the line so far is in spill
    while (Ready()) {
        // Everything up to the next byte 26 or the end of the buffer's data is
        // searched at once; the blocks are handed out up to the last
        // character looked at, as if the characters were taken one by one.
        const char* from = reinterpret_cast<const char*>(buffer_.get()) + next_;
        const std::size_t ready = limit_ - next_;
        const std::size_t length = FindLineEnd(buffer_.get() + next_, ready, unixEnds);
        const std::size_t end = next_ + length;
        const bool lineEnd = length < ready;
        // Looking behind a CR that ends the buffer's data refills the buffer,
        // so such a line is kept in spill first.
        const bool refillsBehind = lineEnd && buffer_[end] == '\r' && end + 1 == filled_;
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

std::string_view ReadDosLine(TextReader& reader, std::string& spill) { return reader.ReadLine(spill, false); }

std::string_view ReadUnixLine(TextReader& reader, std::string& spill) { return reader.ReadLine(spill, true); }

} // namespace quillo
