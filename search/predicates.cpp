#include "predicates.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace quillo {
namespace {

// Rough frequency rank of a byte in text: higher is more common. Letters follow
// English letter frequency; the search anchors on the least common byte.
constexpr std::array<std::uint8_t, 256> MakeByteRank()
{
    std::array<std::uint8_t, 256> rank{};
    for (int c = '0'; c <= '9'; ++c)
        rank[c] = 60;
    const char* byFrequency = "ETAOINSRHLDCUMFPGWYBVKXJQZ"; // most common first
    for (int i = 0; byFrequency[i]; ++i) {
        const auto r = static_cast<std::uint8_t>(200 - 5 * i);
        rank[static_cast<unsigned char>(byFrequency[i])] = r;
        rank[static_cast<unsigned char>(byFrequency[i] + 32)] = r;
    }
    rank[' '] = 255;
    rank['.'] = rank[','] = 120;
    rank['\t'] = 100;
    return rank;
}
constexpr auto ByteRank = MakeByteRank();

} // namespace

void FoldCase(std::string_view in, std::string& out)
{
    out.resize(in.size());
    const char* src = in.data();
    char* dst = out.data();
    std::size_t n = in.size();
    // Eight bytes at a time: flag the bytes 'a'..'z' (high bit clear, value in
    // range) and clear their 0x20 bit.
    constexpr std::uint64_t Ones = 0x0101010101010101ULL;
    constexpr std::uint64_t High = 0x8080808080808080ULL;
    while (n >= 8) {
        std::uint64_t x;
        std::memcpy(&x, src, 8);
        const std::uint64_t low7 = x & ~High;
        const std::uint64_t atLeastA = low7 + Ones * (0x80 - 'a');
        const std::uint64_t aboveZ = low7 + Ones * (0x80 - 'z' - 1);
        const std::uint64_t lower = atLeastA & ~aboveZ & ~x & High;
        x ^= lower >> 2;
        std::memcpy(dst, &x, 8);
        src += 8;
        dst += 8;
        n -= 8;
    }
    for (; n; --n) {
        const auto c = static_cast<unsigned char>(*src++);
        *dst++ = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
}

std::string FoldCase(std::string_view in)
{
    std::string out;
    FoldCase(in, out);
    return out;
}

PreparedPattern::PreparedPattern(std::string text) : text_(std::move(text))
{
    for (std::size_t i = 1; i < text_.size(); ++i)
        if (ByteRank[static_cast<unsigned char>(text_[i])] <
            ByteRank[static_cast<unsigned char>(text_[anchor_])])
            anchor_ = i;
}

std::size_t PreparedPattern::Find(std::string_view hay) const noexcept
{
    const std::size_t n = text_.size();
    if (n == 0 || hay.size() < n)
        return std::string_view::npos;
    const char* const base = hay.data();
    const char anchorByte = text_[anchor_];
    // Candidate anchors lie in [anchor_, hay.size() - n + anchor_].
    const char* p = base + anchor_;
    const char* const last = base + (hay.size() - n) + anchor_;
    while (p <= last) {
        const void* hit = std::memchr(p, anchorByte, static_cast<std::size_t>(last - p) + 1);
        if (!hit)
            break;
        const char* start = static_cast<const char*>(hit) - anchor_;
        if (std::memcmp(start, text_.data(), n) == 0)
            return static_cast<std::size_t>(start - base);
        p = static_cast<const char*>(hit) + 1;
    }
    return std::string_view::npos;
}

std::size_t contains(std::string_view needle, std::string_view haystack) noexcept
{
    if (needle.empty())
        return 0;
    const auto at = haystack.find(needle);
    return at == std::string_view::npos ? 0 : at + 1;
}

bool MatchSingle(const PreparedPattern& p1, const PreparedPattern&, std::string_view line) noexcept
{
    return p1.In(line);
}

bool MatchAnd(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept
{
    return p1.In(line) && p2.In(line);
}

bool MatchOr(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept
{
    return p1.In(line) || p2.In(line);
}

bool MatchXor(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept
{
    const bool first = p1.In(line);
    const bool second = p2.In(line);
    return first != second;
}

bool MatchAndNot(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept
{
    return p1.In(line) && !p2.In(line);
}

std::optional<OperatorChoice> ChooseOperator(std::string_view string2, int operatorIndex)
{
    if (string2.empty())
        return OperatorChoice{&MatchSingle, {}};
    const std::string s2(string2);
    switch (operatorIndex) {
    case 0: return OperatorChoice{&MatchAnd, " and " + s2};
    case 1: return OperatorChoice{&MatchOr, " or " + s2};
    case 2: return OperatorChoice{&MatchXor, " xor " + s2};
    case 3: return OperatorChoice{&MatchAndNot, " and not " + s2};
    default: return std::nullopt;
    }
}

} // namespace quillo
