#include "text_reader.h"

#include <algorithm>
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

// Offset of the first of the bytes a, b in p[0, n), n when there is none (pass
// the same byte twice to look for one). p[0, n) lies inside a TextReader's
// block, which is 16-byte aligned and a whole number of groups long, so the
// aligned 16-byte groups around it are read whole: a scan of a line end costs
// a few compares, not a library call.
inline std::size_t FindInBlock(const char* p, std::size_t n, char a, char b) noexcept
{
#if defined(__SSE2__)
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    const std::size_t skew = address & 15;
    const char* group = p - skew;
    const __m128i wantA = _mm_set1_epi8(a);
    const __m128i wantB = _mm_set1_epi8(b);
    auto hits = [&](const char* at) {
        const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(at));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, wantA), _mm_cmpeq_epi8(bytes, wantB))));
    };
    // Bit i of mask stands for p[i - skew + done - 16 + 16]; the first group
    // drops the bytes before p.
    unsigned mask = hits(group) >> skew;
    std::size_t done = 16 - skew; // bytes of p covered so far
    for (;;) {
        if (mask) {
            const std::size_t at = done - (16 - skew) + static_cast<std::size_t>(__builtin_ctz(mask));
            return at < n ? at : n;
        }
        if (done >= n)
            return n;
        group += 16;
        mask = hits(group);
        skew = 0;
        done += 16;
    }
#else
    const void* hitA = std::memchr(p, a, n);
    std::size_t at = hitA ? static_cast<std::size_t>(static_cast<const char*>(hitA) - p) : n;
    if (b != a) {
        if (const void* hitB = std::memchr(p, b, at))
            at = static_cast<std::size_t>(static_cast<const char*>(hitB) - p);
    }
    return at;
#endif
}

} // namespace

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
    const void* marker = std::memchr(block_, TextEndMarker, filled_);
    limit_ = marker ? static_cast<unsigned>(static_cast<const unsigned char*>(marker) - block_) : filled_;
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
        const void* cr = std::memchr(ready.data(), '\r', ready.size());
        if (!cr) {
            line.append(ready);
            reader.Skip(ready.size());
            continue;
        }
        const auto length = static_cast<std::size_t>(static_cast<const char*>(cr) - ready.data());
        line.append(ready.data(), length);
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
        std::size_t length = ready.size();
        if (const void* lf = std::memchr(ready.data(), '\n', length))
            length = static_cast<std::size_t>(static_cast<const char*>(lf) - ready.data());
        if (const void* cr = std::memchr(ready.data(), '\r', length))
            length = static_cast<std::size_t>(static_cast<const char*>(cr) - ready.data());
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
