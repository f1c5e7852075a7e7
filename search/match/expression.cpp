#include "search/match/expression.h"

#include <re2/re2.h>
#include <re2/set.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace quillo {
namespace {

// The ASCII bytes that are not word bytes. In UTF-8 mode no other character
// falls in this class, and neither does a stray byte: both count as word bytes.
constexpr std::string_view NonWord = R"([\x00-\x2f\x3a-\x40\x5b-\x5e\x60\x7b-\x7f])";

// Whether pattern ends inside \Q...\E, which would quote what follows it.
bool EndsQuoted(std::string_view pattern)
{
    bool quoted = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '\\' || i + 1 >= pattern.size())
            continue;
        const char next = pattern[i + 1];
        if (quoted ? next == 'E' : next == 'Q')
            quoted = !quoted;
        ++i;
    }
    return quoted;
}

std::unique_ptr<RE2> Compile(const std::string& pattern, bool ignoreCase, bool latin1, bool capture)
{
    RE2::Options options;
    options.set_log_errors(false);
    options.set_case_sensitive(!ignoreCase);
    options.set_encoding(latin1 ? RE2::Options::EncodingLatin1 : RE2::Options::EncodingUTF8);
    options.set_never_capture(!capture);
    auto re = std::make_unique<RE2>(pattern, options);
    if (!re->ok())
        throw InvalidExpression(re->error());
    return re;
}

bool Ascii(std::string_view text) noexcept
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 128; });
}

} // namespace

bool ValidUtf8(std::string_view text) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p < end) {
        // Eight ASCII bytes at a time.
        while (end - p >= 8) {
            std::uint64_t x;
            std::memcpy(&x, p, 8);
            if (x & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more;
        unsigned char low = 0x80, high = 0xBF; // the second byte's range
        if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else
            return false;
        if (end - p <= more || p[1] < low || p[1] > high)
            return false;
        for (int k = 2; k <= more; ++k)
            if ((p[k] & 0xC0) != 0x80)
                return false;
        p += more + 1;
    }
    return true;
}

void MergeRanges(std::vector<ByteRange>& ranges)
{
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.begin < b.begin; });
    std::size_t kept = 0;
    for (const ByteRange& r : ranges) {
        if (r.begin >= r.end)
            continue;
        if (kept && r.begin <= ranges[kept - 1].end)
            ranges[kept - 1].end = std::max(ranges[kept - 1].end, r.end);
        else
            ranges[kept++] = r;
    }
    ranges.resize(kept);
}

std::string RequiredLiteral(std::string_view p, bool ignoreCase)
{
    // The pattern's top level is read as a sequence of units; a unit that is
    // a plain character and not made optional by a repetition extends the
    // current run of literal text, anything else ends it. Whatever this does
    // not understand gives no literal at all.
    std::string best, run;
    auto endRun = [&] {
        if (run.size() > best.size())
            best = run;
        run.clear();
    };
    std::size_t i = 0;
    const std::size_t n = p.size();
    // Skips a class [...] starting at i; false when it does not end.
    auto skipClass = [&]() {
        ++i; // '['
        if (i < n && p[i] == '^')
            ++i;
        if (i < n && p[i] == ']')
            ++i;
        while (i < n && p[i] != ']') {
            if (p[i] == '\\')
                ++i;
            else if (p[i] == '[' && i + 1 < n && p[i + 1] == ':') {
                const auto close = p.find(":]", i + 2);
                if (close == std::string_view::npos)
                    return false;
                i = close + 1;
            }
            ++i;
        }
        if (i >= n)
            return false;
        ++i; // ']'
        return true;
    };
    while (i < n) {
        const auto c = static_cast<unsigned char>(p[i]);
        std::string unit; // the unit's bytes when it is a literal character
        bool literal = false;
        if (c == '|')
            return {};
        if (c == '(') {
            if (i + 1 < n && p[i + 1] == '?' && !(i + 2 < n && (p[i + 2] == ':' || p[i + 2] == 'P')))
                return {}; // flags for the rest of the pattern
            int depth = 0;
            while (i < n) {
                if (p[i] == '\\')
                    i += 2;
                else if (p[i] == '[') {
                    if (!skipClass())
                        return {};
                } else {
                    if (p[i] == '(')
                        ++depth;
                    else if (p[i] == ')' && --depth == 0) {
                        ++i;
                        break;
                    }
                    ++i;
                }
            }
            if (depth != 0)
                return {};
        } else if (c == '[') {
            if (!skipClass())
                return {};
        } else if (c == '\\') {
            if (i + 1 >= n)
                return {};
            const auto e = static_cast<unsigned char>(p[i + 1]);
            if (e < 128 && !std::isalnum(e)) {
                literal = true;
                unit.assign(1, static_cast<char>(e));
                i += 2;
            } else if (e == 'x' || e == 'p' || e == 'P') {
                i += 2;
                if (i < n && p[i] == '{') {
                    const auto close = p.find('}', i);
                    if (close == std::string_view::npos)
                        return {};
                    i = close + 1;
                } else
                    i += e == 'x' ? 2 : 1;
            } else if (std::strchr("dDsSwWbBAzCntrfva", e) && e != 0)
                i += 2;
            else
                return {}; // \Q, octal and the rest: not read here
        } else if (c == '.' || c == '^' || c == '$') {
            ++i;
        } else if (c == '*' || c == '+' || c == '?' || c == '{' || c == ')') {
            return {}; // a repetition with nothing before it: not read here
        } else {
            // One character, with its UTF-8 continuation bytes.
            std::size_t len = 1;
            while (c >= 0xC0 && i + len < n && (static_cast<unsigned char>(p[i + len]) & 0xC0) == 0x80)
                ++len;
            unit.assign(p.substr(i, len));
            literal = true;
            i += len;
        }
        // A repetition after the unit.
        bool optional = false, repeated = false;
        if (i < n && (p[i] == '*' || p[i] == '?' || p[i] == '+')) {
            optional = p[i] != '+';
            repeated = true;
            ++i;
        } else if (i < n && p[i] == '{') {
            const auto close = p.find('}', i);
            if (close == std::string_view::npos)
                return {};
            const std::string_view inside = p.substr(i + 1, close - i - 1);
            if (inside.empty() || inside.find_first_not_of("0123456789,") != std::string_view::npos ||
                inside[0] == ',')
                return {};
            optional = inside[0] == '0' && (inside.size() == 1 || inside[1] == ',');
            repeated = true;
            i = close + 1;
        }
        if (repeated && i < n && p[i] == '?')
            ++i; // non-greedy
        if (i < n && (p[i] == '*' || p[i] == '+' || p[i] == '?' || p[i] == '{'))
            return {};
        if (ignoreCase && literal) {
            // Only bytes whose case partners are all ASCII.
            const auto u = static_cast<unsigned char>(unit[0]);
            if (u >= 128 || u == 'k' || u == 'K' || u == 's' || u == 'S')
                literal = false;
        }
        if (!literal || optional) {
            endRun();
            continue;
        }
        run += unit;
        if (repeated)
            endRun(); // the unit is there at least once, what follows may be it again
    }
    endRun();
    return best;
}

Expression::Expression(std::string_view pattern, bool ignoreCase, bool wholeWords) : wholeWords_(wholeWords)
{
    const std::string plain(pattern);
    std::string grouped = "(" + plain + (EndsQuoted(plain) ? "\\E)" : ")");
    const std::string tail = "(?:" + std::string(NonWord) + "|$)";
    const bool looksBack = plain.find('^') != std::string::npos || plain.find("\\A") != std::string::npos ||
                           plain.find("\\b") != std::string::npos || plain.find("\\B") != std::string::npos;
    auto build = [&](Compiled& c, bool latin1) {
        if (!looksBack) {
            RE2::Options options;
            options.set_log_errors(false);
            options.set_case_sensitive(!ignoreCase);
            options.set_encoding(latin1 ? RE2::Options::EncodingLatin1 : RE2::Options::EncodingUTF8);
            options.set_never_capture(true);
            auto set = std::make_shared<RE2::Set>(options, RE2::ANCHOR_START);
            if (set->Add(wholeWords ? grouped + tail : grouped, nullptr) == 0 && set->Compile())
                c.startsHere = std::move(set);
        }
        if (!wholeWords) {
            c.plain = Compile(plain, ignoreCase, latin1, false);
            return;
        }
        Compile(plain, ignoreCase, latin1, false); // its reason, should it fail
        c.fromStart = Compile("(?:^|" + std::string(NonWord) + ")" + grouped + tail, ignoreCase, latin1, true);
        c.afterByte = Compile(std::string(NonWord) + grouped + tail, ignoreCase, latin1, true);

    };
    build(utf8_, false);
    if (Ascii(pattern)) {
        // Some expressions are UTF-8 only (a character above 255): those
        // read every line as UTF-8.
        try {
            latin1_ = std::make_unique<Compiled>();
            build(*latin1_, true);
        } catch (const InvalidExpression&) {
            latin1_.reset();
        }
    }
}

Expression::~Expression() = default;

const Expression::Compiled& Expression::For(std::string_view line) const noexcept
{
    if (latin1_ && !ValidUtf8(line) && !InWith(utf8_, line))
        return *latin1_;
    return utf8_;
}

bool Expression::InWith(const Compiled& c, std::string_view line) noexcept
{
    const RE2& re = c.plain ? *c.plain : *c.fromStart;
    return re.Match(line, 0, line.size(), RE2::UNANCHORED, nullptr, 0);
}

bool Expression::In(std::string_view line) const noexcept
{
    if (InWith(utf8_, line))
        return true;
    return latin1_ && !ValidUtf8(line) && InWith(*latin1_, line);
}

bool Expression::FindWith(const Compiled& c, std::string_view line, std::size_t from, ByteRange& match) const noexcept
{
    if (from > line.size())
        return false;
    re2::StringPiece found[2];
    if (!wholeWords_) {
        if (!c.plain->Match(line, from, line.size(), RE2::UNANCHORED, found, 1))
            return false;
        match.begin = static_cast<std::size_t>(found[0].data() - line.data());
        match.end = match.begin + found[0].size();
        return true;
    }
    // From the line's start the match may begin there; later, the byte before
    // it must be a non-word byte at or after from.
    const bool ok = from == 0 ? c.fromStart->Match(line, 0, line.size(), RE2::UNANCHORED, found, 2)
                              : c.afterByte->Match(line, from - 1, line.size(), RE2::UNANCHORED, found, 2);
    if (!ok)
        return false;
    match.begin = static_cast<std::size_t>(found[1].data() - line.data());
    match.end = match.begin + found[1].size();
    return true;
}

std::size_t Expression::FindFrom(std::string_view line, std::size_t from) const noexcept
{
    ByteRange match;
    return FindWith(For(line), line, from, match) ? match.begin : std::string_view::npos;
}

bool Expression::StartsAt(const Compiled& c, std::string_view line, std::size_t start) const noexcept
{
    // Asked only whether there is a match, the engine stops at the first end
    // it finds: a test at the byte after a match costs little, where a search
    // for the leftmost match would read on to that match's end (all of a long
    // run of 'a' for a+, again at every byte of it). false also when the
    // engine gave up; the caller then searches.
    if (!c.startsHere || (wholeWords_ && start > 0 && IsWordByte(static_cast<unsigned char>(line[start - 1]))))
        return false;
    const auto* set = static_cast<const RE2::Set*>(c.startsHere.get());
    return set->Match(line.substr(start), nullptr);
}

std::int64_t Expression::Count(std::string_view line) const noexcept
{
    const Compiled& c = For(line);
    std::int64_t count = 0;
    ByteRange match;
    std::size_t from = 0;
    while (from <= line.size()) {
        if (from > 0 && StartsAt(c, line, from)) {
            ++count;
            ++from;
            continue;
        }
        if (!FindWith(c, line, from, match))
            break;
        ++count;
        from = match.begin + 1;
    }
    return count;
}

void Expression::Ranges(std::string_view line, std::vector<ByteRange>& out) const
{
    const Compiled& c = For(line);
    ByteRange match;
    std::size_t from = 0;
    while (FindWith(c, line, from, match)) {
        if (match.end > match.begin)
            out.push_back(match);
        from = std::max(match.end, match.begin + 1);
    }
}

} // namespace quillo
