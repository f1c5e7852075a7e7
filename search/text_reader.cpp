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
TextReader::TextReader(std::size_t fetchSize) noexcept
    : fetchSize_(static_cast<unsigned>(std::clamp<std::size_t>(fetchSize, 1, TextBlockSize)))
{
}

TextReader::~TextReader() { CloseText(); }

void TextReader::OpenText(const std::string& name)
{
    CloseText();
    filled_ = next_ = limit_ = 0;
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
    fd_ = fd;
}

std::int64_t TextReader::BlockSize() const noexcept
{
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size) / static_cast<std::int64_t>(TextBlockSize);
}

std::int64_t TextReader::BlockPosition() const noexcept
{
    if (fd_ < 0)
        return -1;
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0)
        return -1;
    return static_cast<std::int64_t>(at) / static_cast<std::int64_t>(TextBlockSize);
}

void TextReader::CloseText() noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void TextReader::Fetch() noexcept
{
    filled_ = next_ = limit_ = 0;
    if (fd_ < 0)
        return;
    ssize_t got;
    do
        got = ::read(fd_, block_, fetchSize_);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return; // a failed fetch reads as the end; the next request fetches again
    if (got == 0) {
        // End of the file: a byte 26 that is never passed.
        block_[0] = TextEndMarker;
        filled_ = 1;
        return;
    }
    filled_ = static_cast<unsigned>(got);
    limit_ = filled_;
    if (MarkLineEnds()) {
        if (const void* at = std::memchr(block_, TextEndMarker, filled_))
            limit_ = static_cast<unsigned>(static_cast<const unsigned char*>(at) - block_);
    }
}

bool TextReader::MarkLineEnds() noexcept
{
    static_assert(TextBlockSize % 64 == 0 && sizeof block_ >= TextBlockSize);
#if defined(__SSE2__)
    // The whole block at once (what lies past filled_ is left over from before
    // and is cut off by limit_): a fixed amount of work per fetch, no branches.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8(unixEnds_ ? '\n' : '\r');
    const __m128i marker = _mm_set1_epi8(static_cast<char>(TextEndMarker));
    __m128i markers = _mm_setzero_si128();
    std::uint64_t bits[2] = {0, 0};
    for (unsigned group = 0; group < TextBlockSize / 16; ++group) {
        const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(block_ + 16 * group));
        const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf));
        bits[group / 4] |= static_cast<std::uint64_t>(_mm_movemask_epi8(ends)) << (16 * (group % 4));
        markers = _mm_or_si128(markers, _mm_cmpeq_epi8(bytes, marker));
    }
    ends_[0] = bits[0];
    ends_[1] = bits[1];
    return _mm_movemask_epi8(markers) != 0; // perhaps only in the left-over bytes
#else
    bool marker = false;
    ends_[0] = ends_[1] = 0;
    for (unsigned i = 0; i < filled_; ++i) {
        if (block_[i] == '\r' || (unixEnds_ && block_[i] == '\n'))
            ends_[i / 64] |= std::uint64_t{1} << (i % 64);
        else if (block_[i] == TextEndMarker)
            marker = true;
    }
    return marker;
#endif
}

std::size_t TextReader::LineEnd(bool unixEnds) noexcept
{
    if (unixEnds != unixEnds_) {
        // The other mode from now on (normally only at the first line).
        unixEnds_ = unixEnds;
        MarkLineEnds();
    }
    // next_ < limit_ <= 128 here.
    std::size_t at = limit_;
    if (next_ < 64) {
        if (const std::uint64_t rest = ends_[0] >> next_)
            at = next_ + static_cast<std::size_t>(std::countr_zero(rest));
        else if (ends_[1])
            at = 64 + static_cast<std::size_t>(std::countr_zero(ends_[1]));
    } else if (const std::uint64_t rest = ends_[1] >> (next_ - 64)) {
        at = next_ + static_cast<std::size_t>(std::countr_zero(rest));
    }
    return std::min<std::size_t>(at, limit_) - next_;
}

unsigned char TextReader::TakeChar() noexcept
{
    const std::string_view ready = Available();
    if (ready.empty())
        return TextEndMarker;
    ++next_;
    return static_cast<unsigned char>(ready.front());
}

namespace {

// After a CR has been taken: an LF right behind it belongs to the same line end.
inline void TakeLfAfterCr(TextReader& reader)
{
    const std::string_view ready = reader.Available();
    if (!ready.empty() && ready.front() == '\n')
        reader.Skip(1);
}

} // namespace

void ReadDosLine(TextReader& reader, std::string& line)
{
    line.clear();
    for (;;) {
        const std::string_view ready = reader.Available();
        if (ready.empty())
            return;
        const std::size_t length = reader.LineEnd(false);
        line.append(ready.data(), length);
        if (length == ready.size()) {
            reader.Skip(length);
            continue;
        }
        reader.Skip(length + 1);
        TakeLfAfterCr(reader);
        return;
    }
}

void ReadUnixLine(TextReader& reader, std::string& line)
{
    line.clear();
    for (;;) {
        const std::string_view ready = reader.Available();
        if (ready.empty())
            return;
        const std::size_t length = reader.LineEnd(true);
        line.append(ready.data(), length);
        if (length == ready.size()) {
            reader.Skip(length);
            continue;
        }
        const char end = ready[length];
        reader.Skip(length + 1);
        if (end == '\r')
            TakeLfAfterCr(reader);
        return;
    }
}

} // namespace quillo
