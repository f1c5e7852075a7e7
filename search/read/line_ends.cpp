#include "search/read/line_ends.h"

#include <algorithm>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUILLO_HAVE_AVX2_COUNT 1
#endif

namespace quillo {
namespace {

// The counting loop, for each instruction set: LOAD_BITS(p, c) gives the
// 64-bit mask of the bytes c in the window at p, POPCOUNT counts its bits.
#define QUILLO_COUNT_ENDS_BODY(LOAD_BITS, POPCOUNT)                                                        \
    EndTally tally;                                                                                        \
    std::size_t w = from & ~std::size_t{63};                                                               \
    std::uint64_t carry = w > 0 && data[w - 1] == '\r' ? 1 : 0; /* a CR just before the window */        \
    for (; w < to; w += 64) {                                                                              \
        const std::uint64_t cr = LOAD_BITS(data + w, '\r');                                                \
        std::uint64_t ends = cr;                                                                           \
        if (unixEnds) {                                                                                    \
            ends |= LOAD_BITS(data + w, '\n') & ~(cr << 1 | carry);                                        \
            carry = cr >> 63;                                                                              \
        }                                                                                                  \
        if (from > w)                                                                                      \
            ends &= ~std::uint64_t{0} << (from - w);                                                       \
        if (to < w + 64)                                                                                   \
            ends &= ~std::uint64_t{0} >> (64 - (to - w));                                                  \
        if (ends) {                                                                                        \
            tally.count += static_cast<std::size_t>(POPCOUNT(ends));                                       \
            tally.last = w + 63 - static_cast<std::size_t>(__builtin_clzll(ends));                         \
        }                                                                                                  \
    }                                                                                                      \
    return tally;

// Without POPCNT the compiler calls a library routine per count: this is
// inlined instead.
inline unsigned SwarPopcount(std::uint64_t x) noexcept
{
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
    return static_cast<unsigned>((x * 0x0101010101010101ULL) >> 56);
}

EndTally CountEndsPlain(const unsigned char* data, std::size_t from, std::size_t to, bool unixEnds) noexcept
{
    QUILLO_COUNT_ENDS_BODY(ByteBits, SwarPopcount)
}

#if defined(QUILLO_HAVE_AVX2_COUNT)

__attribute__((target("avx2,popcnt"))) inline std::uint64_t ByteBitsAvx2(const unsigned char* p,
                                                                          unsigned char c) noexcept
{
    const __m256i want = _mm256_set1_epi8(static_cast<char>(c));
    const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i*>(p + 32));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, want))) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, want)))} << 32;
}

__attribute__((target("avx2,popcnt"))) EndTally CountEndsInWindowsAvx2(const unsigned char* data, std::size_t from,
                                                                         std::size_t to, bool unixEnds) noexcept
{
    QUILLO_COUNT_ENDS_BODY(ByteBitsAvx2, __builtin_popcountll)
}

// Whole windows are counted 32 bytes a step in per-byte counters (a byte
// that ends a line subtracts -1), summed before they can overflow; the
// windows at the edges of [from, to) bit by bit. An LF right after a CR is
// taken away again in Unix mode. Where the last end lies is found by the
// caller's bit-by-bit pass over the last windows.
__attribute__((target("avx2,popcnt"))) EndTally CountEndsAvx2(const unsigned char* data, std::size_t from,
                                                               std::size_t to, bool unixEnds) noexcept
{
    // The first whole window, past the first one of the fill (the byte
    // before each step is loaded too).
    const std::size_t first = std::max<std::size_t>(64, (from + 63) & ~std::size_t{63});
    const std::size_t last = to & ~std::size_t{63};          // the end of the whole windows
    if (first >= last || last - first < 4 * 64)
        return CountEndsInWindowsAvx2(data, from, to, unixEnds);
    EndTally tally = CountEndsInWindowsAvx2(data, from, first, unixEnds);
    const EndTally tail = CountEndsInWindowsAvx2(data, last, to, unixEnds);
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i zero = _mm256_setzero_si256();
    __m256i total = zero;
    std::size_t at = first;
    while (at < last) {
        const std::size_t stop = std::min(last, at + 32 * 255); // each byte counter below 256
        __m256i counts = zero;
        if (unixEnds) {
            for (; at < stop; at += 32) {
                const __m256i bytes = _mm256_load_si256(reinterpret_cast<const __m256i*>(data + at));
                const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at - 1));
                const __m256i isLf = _mm256_cmpeq_epi8(bytes, lf);
                const __m256i ends = _mm256_or_si256(_mm256_cmpeq_epi8(bytes, cr),
                                                     _mm256_andnot_si256(_mm256_cmpeq_epi8(before, cr), isLf));
                counts = _mm256_sub_epi8(counts, ends);
            }
        } else {
            for (; at < stop; at += 32)
                counts = _mm256_sub_epi8(
                    counts, _mm256_cmpeq_epi8(_mm256_load_si256(reinterpret_cast<const __m256i*>(data + at)), cr));
        }
        total = _mm256_add_epi64(total, _mm256_sad_epu8(counts, zero));
    }
    alignas(32) std::uint64_t sums[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(sums), total);
    tally.count += static_cast<std::size_t>(sums[0] + sums[1] + sums[2] + sums[3]) + tail.count;
    tally.last = tail.last;
    tally.lastKnown = tail.count > 0;
    return tally;
}
#endif

#undef QUILLO_COUNT_ENDS_BODY

using CountEndsFunction = EndTally (*)(const unsigned char*, std::size_t, std::size_t, bool) noexcept;

// The widest counting loop this processor runs, chosen once.
CountEndsFunction ChooseCountEnds() noexcept
{
#if defined(QUILLO_HAVE_AVX2_COUNT)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt"))
        return &CountEndsAvx2;
#endif
    return &CountEndsPlain;
}

const CountEndsFunction Chosen = ChooseCountEnds();

} // namespace

EndTally CountLineEnds(const unsigned char* data, std::size_t from, std::size_t to, bool unixEnds) noexcept
{
    return Chosen(data, from, to, unixEnds);
}


} // namespace quillo
