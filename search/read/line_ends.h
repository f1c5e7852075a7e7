// Line ends of a read buffer, found 64 bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillo {

// Bit i set where p[i] == c, for the 64 bytes at p.
inline std::uint64_t ByteBits(const unsigned char* p, unsigned char c) noexcept
{
#if defined(__SSE2__)
    const __m128i want = _mm_set1_epi8(static_cast<char>(c));
    auto bits = [&](std::size_t at) -> std::uint64_t {
        const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(p + at));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, want)));
    };
    return bits(0) | bits(16) << 16 | bits(32) << 32 | bits(48) << 48;
#else
    std::uint64_t found = 0;
    for (std::size_t i = 0; i < 64; ++i)
        if (p[i] == c)
            found |= std::uint64_t{1} << i;
    return found;
#endif
}

// The line ends in [from, to) of a fill: CR, and with unixEnds also an LF
// that does not follow a CR. How many, and where the last one lies. data is
// 64-byte aligned and may be read in whole windows of 64 bytes past to.
struct EndTally {
    std::size_t count = 0;
    std::size_t last = 0;
    bool lastKnown = true; // else the caller finds it
};

EndTally CountLineEnds(const unsigned char* data, std::size_t from, std::size_t to, bool unixEnds) noexcept;

} // namespace quillo
