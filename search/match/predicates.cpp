#include "search/match/predicates.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// 'a'..'z' to 'A'..'Z' for n bytes (n < 16 when SSE2 is there).
inline void FoldBytes(const char* src, char* dst, std::size_t n) noexcept
{
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

#if defined(__SSE2__)
// As signed bytes, 'a'..'z' are those above 'a' - 1 and below 'z' + 1 (the
// bytes above 127 are negative); their 0x20 bit goes.
inline __m128i Fold16(__m128i x) noexcept
{
    const __m128i lower = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8('a' - 1)), _mm_cmplt_epi8(x, _mm_set1_epi8('z' + 1)));
    return _mm_xor_si128(x, _mm_and_si128(lower, _mm_set1_epi8(0x20)));
}
inline __m128i Load16(const char* p) noexcept { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store16(char* p, __m128i x) noexcept { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), x); }
#endif

} // namespace

void FoldCase(std::string_view in, std::string& out)
{
    const std::size_t n = in.size();
    // Growing the string writes zeros first; growing only when needed keeps
    // that to the lines that are longer than any before.
    if (out.size() > n)
        out.resize(n);
    else if (out.size() < n)
        out.append(n - out.size(), '\0');
    const char* src = in.data();
    char* dst = out.data();
#if defined(__SSE2__)
    if (n >= 16) {
        // Whole groups, then one more that ends where the line ends: folding
        // is idempotent, so the overlap is harmless even in place.
        std::size_t at = 0;
        for (; at + 16 <= n; at += 16)
            Store16(dst + at, Fold16(Load16(src + at)));
        if (at < n)
            Store16(dst + n - 16, Fold16(Load16(src + n - 16)));
        return;
    }
#endif
    FoldBytes(src, dst, n);
}

std::string FoldCase(std::string_view in)
{
    std::string out;
    FoldCase(in, out);
    return out;
}

PreparedPattern::PreparedPattern(std::string text, bool ignoreCase)
    : text_(ignoreCase ? FoldCase(text) : std::move(text)), ignoreCase_(ignoreCase)
{
    auto rarer = [&](std::size_t i, std::size_t than) {
        return ByteRank[static_cast<unsigned char>(text_[i])] < ByteRank[static_cast<unsigned char>(text_[than])];
    };
    for (std::size_t i = 1; i < text_.size(); ++i)
        if (rarer(i, anchor_))
            anchor_ = i;
    second_ = anchor_;
    for (std::size_t i = 0; i < text_.size(); ++i)
        if (i != anchor_ && (second_ == anchor_ || rarer(i, second_)))
            second_ = i;
    if (text_.empty())
        return;
    auto caseBit = [&](std::size_t i) -> unsigned char {
        const auto c = static_cast<unsigned char>(text_[i]);
        return ignoreCase_ && c >= 'A' && c <= 'Z' ? 0x20 : 0;
    };
    anchorCase_ = caseBit(anchor_);
    anchorWant_ = static_cast<unsigned char>(text_[anchor_]) | anchorCase_;
    secondCase_ = caseBit(second_);
    secondWant_ = static_cast<unsigned char>(text_[second_]) | secondCase_;
}

bool PreparedPattern::At(const char* p) const noexcept
{
    if (!ignoreCase_)
        return std::memcmp(p, text_.data(), text_.size()) == 0;
    for (std::size_t k = 0; k < text_.size(); ++k) {
        const auto c = static_cast<unsigned char>(p[k]);
        if ((c >= 'a' && c <= 'z' ? c - 32 : c) != static_cast<unsigned char>(text_[k]))
            return false;
    }
    return true;
}

PreparedPattern::PreparedPattern(std::string text, const PatternRule& rule)
{
    if (text.empty() || (!rule.Regex && !rule.WholeWords)) {
        *this = PreparedPattern(std::move(text), rule.IgnoreCase);
        return;
    }
    if (!rule.Regex) {
        *this = PreparedPattern(std::move(text), rule.IgnoreCase);
        literal_ = std::make_shared<const PreparedPattern>(text_, ignoreCase_);
        mode_ = Mode::Words;
        return;
    }
    auto expression = std::make_shared<const Expression>(text, rule.IgnoreCase, rule.WholeWords);
    *this = PreparedPattern(RequiredLiteral(text, rule.IgnoreCase), rule.IgnoreCase);
    if (!text_.empty())
        literal_ = std::make_shared<const PreparedPattern>(text_, ignoreCase_);
    mode_ = Mode::Regex;
    expression_ = std::move(expression);
}

std::size_t PreparedPattern::Find(std::string_view hay) const noexcept
{
    switch (mode_) {
    case Mode::Literal: return FindLiteral(hay);
    case Mode::Words: return FindWord(hay, FindLiteral(hay));
    case Mode::Regex: break;
    }
    if (!text_.empty() && FindLiteral(hay) == std::string_view::npos)
        return std::string_view::npos;
    return expression_->FindFrom(hay, 0);
}

// The first whole-word occurrence, starting from the occurrence at at.
std::size_t PreparedPattern::FindWord(std::string_view line, std::size_t at) const noexcept
{
    while (at != std::string_view::npos) {
        if (WordBounded(line, at, at + text_.size()))
            return at;
        const std::size_t next = FindLiteral(line.substr(at + 1));
        at = next == std::string_view::npos ? next : at + 1 + next;
    }
    return at;
}

std::size_t PreparedPattern::FirstLiteral(std::string_view hay) const noexcept
{
    const auto begin = reinterpret_cast<std::uintptr_t>(hay.data());
    if (begin >= aheadBegin_ && begin + hay.size() <= aheadEnd_)
        return AheadFind(hay);
    return FindLiteral(hay);
}

bool PreparedPattern::InOther(std::string_view hay) const noexcept
{
    if (mode_ == Mode::Words)
        return FindWord(hay, FirstLiteral(hay)) != std::string_view::npos;
    if (!text_.empty() && FirstLiteral(hay) == std::string_view::npos)
        return false;
    return expression_ && expression_->In(hay);
}

std::int64_t PreparedPattern::Count(std::string_view line) const noexcept
{
    std::int64_t count = 0;
    if (mode_ == Mode::Regex) {
        count = expression_ ? expression_->Count(line) : 0;
        return count ? count : 1;
    }
    // The first pass counts one whether or not there is an occurrence.
    auto next = [&](std::size_t from) {
        if (from > line.size())
            return std::string_view::npos;
        std::size_t at = FindLiteral(line.substr(from));
        if (at == std::string_view::npos)
            return at;
        at += from;
        return mode_ == Mode::Words ? FindWord(line, at) : at;
    };
    std::size_t from = 0;
    std::size_t at = next(from);
    do {
        if (at != std::string_view::npos)
            from = at + 1;
        ++count;
        at = next(from);
    } while (at != std::string_view::npos);
    return count;
}

std::vector<ByteRange> PreparedPattern::MatchRanges(std::string_view line) const
{
    std::vector<ByteRange> ranges;
    if (mode_ == Mode::Regex) {
        if (expression_ && (text_.empty() || FindLiteral(line) != std::string_view::npos))
            expression_->Ranges(line, ranges);
    } else if (!text_.empty()) {
        for (std::size_t at = Find(line); at != std::string_view::npos;) {
            ranges.push_back({at, at + text_.size()});
            const std::size_t next = FindLiteral(line.substr(at + 1));
            at = next == std::string_view::npos ? next : at + 1 + next;
            if (at != std::string_view::npos && mode_ == Mode::Words)
                at = FindWord(line, at);
        }
    }
    MergeRanges(ranges);
    return ranges;
}

std::size_t PreparedPattern::FindLiteral(std::string_view hay) const noexcept
{
    const std::size_t n = text_.size();
    if (n == 0 || hay.size() < n)
        return std::string_view::npos;
    const char* const base = hay.data();
    const std::size_t last = hay.size() - n; // the last possible start
    std::size_t from = 0;                    // first start not yet ruled out
#if defined(__SSE2__)
    // Sixteen starts at a time: those with the anchor byte and the second byte
    // at their places are compared in full. The loads stay inside hay: a
    // group's last start is at most last, and both bytes lie within the pattern.
    if (last >= 15) {
        const __m128i anchorCase = _mm_set1_epi8(static_cast<char>(anchorCase_));
        const __m128i anchorWant = _mm_set1_epi8(static_cast<char>(anchorWant_));
        const __m128i secondCase = _mm_set1_epi8(static_cast<char>(secondCase_));
        const __m128i secondWant = _mm_set1_epi8(static_cast<char>(secondWant_));
        auto candidates = [&](std::size_t start) {
            const __m128i a = _mm_or_si128(Load16(base + start + anchor_), anchorCase);
            const __m128i b = _mm_or_si128(Load16(base + start + second_), secondCase);
            return static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, anchorWant), _mm_cmpeq_epi8(b, secondWant))));
        };
        auto first = [&](std::size_t start, std::uint64_t mask) {
            for (; mask; mask &= mask - 1) {
                const std::size_t at = start + static_cast<std::size_t>(std::countr_zero(mask));
                if (At(base + at))
                    return at;
            }
            return std::string_view::npos;
        };
        // 64 starts a step, one branch each, then 16 at a time.
        for (; from + 63 <= last; from += 64) {
            const std::uint64_t mask = std::uint64_t{candidates(from)} | std::uint64_t{candidates(from + 16)} << 16 |
                                       std::uint64_t{candidates(from + 32)} << 32 |
                                       std::uint64_t{candidates(from + 48)} << 48;
            if (mask)
                if (const std::size_t at = first(from, mask); at != std::string_view::npos)
                    return at;
        }
        for (; from + 15 <= last; from += 16)
            if (const std::size_t at = first(from, candidates(from)); at != std::string_view::npos)
                return at;
        if (from > last)
            return std::string_view::npos;
        // The remaining starts as the tail of one more group ending at last.
        const std::size_t start = last - 15;
        return first(start, candidates(start) & (~0u << (from - start)));
    }
#endif
    for (; from <= last; ++from) {
        const auto a = static_cast<unsigned char>(base[from + anchor_]);
        const auto b = static_cast<unsigned char>(base[from + second_]);
        if ((a | anchorCase_) == anchorWant_ && (b | secondCase_) == secondWant_ && At(base + from))
            return from;
    }
    return std::string_view::npos;
}

void PreparedPattern::SearchAhead(std::string_view text) const noexcept
{
    if (text.empty()) {
        aheadBegin_ = 1;
        aheadEnd_ = 0;
        return;
    }
    aheadBegin_ = reinterpret_cast<std::uintptr_t>(text.data());
    aheadEnd_ = aheadBegin_ + text.size();
    searched_ = aheadEnd_; // nothing known yet
    occurrence_ = 0;
}

std::size_t PreparedPattern::AheadFind(std::string_view line) const noexcept
{
    if (text_.empty())
        return std::string_view::npos;
    const auto begin = reinterpret_cast<std::uintptr_t>(line.data());
    // The first occurrence at or after begin: the one known, unless begin
    // lies outside the stretch searched for it.
    if (begin < searched_ || begin > occurrence_) {
        const std::size_t at = FindLiteral({line.data(), aheadEnd_ - begin});
        occurrence_ = at == std::string_view::npos ? aheadEnd_ : begin + at;
        searched_ = begin;
    }
    if (occurrence_ + text_.size() > begin + line.size())
        return std::string_view::npos;
    return static_cast<std::size_t>(occurrence_ - begin);
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
