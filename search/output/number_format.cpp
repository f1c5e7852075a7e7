#include "search/output/number_format.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace quillo {
namespace {

NumberSeparators& Current()
{
    static NumberSeparators separators;
    return separators;
}

// The first (possibly multibyte) character of a locale text.
std::string FirstCharacter(const char* text)
{
    if (!text || !*text)
        return {};
    const int length = std::mblen(text, MB_CUR_MAX);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 1);
}

void AppendDigits(std::string& out, std::uint64_t value)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        out.push_back(digits[--n]);
}

// Half away from zero for a non-negative value.
inline std::uint64_t RoundHalfUp(long double x) { return static_cast<std::uint64_t>(x + 0.5L); }

} // namespace

NumberSeparators SeparatorsFromLocale()
{
    NumberSeparators separators;
    if (const std::lconv* conv = std::localeconv()) {
        if (auto t = FirstCharacter(conv->thousands_sep); !t.empty())
            separators.thousands = std::move(t);
        if (auto d = FirstCharacter(conv->decimal_point); !d.empty())
            separators.decimal = std::move(d);
    }
    return separators;
}

void SetNumberSeparators(NumberSeparators separators) { Current() = std::move(separators); }

const NumberSeparators& CurrentNumberSeparators() { return Current(); }

namespace {

// Longest thousands separator the digits are grouped with in one buffer.
constexpr std::size_t SeparatorRoom = 16;

// value (below 100,000,000) with its digits grouped in threes, after a '-'
// when negative. The separator is at most SeparatorRoom bytes long.
void AppendGrouped(std::string& out, std::uint32_t value, bool negative, const std::string& thousands)
{
    static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                    "8081828384858687888990919293949596979899";
    // At most 8 digits, so at most two separators: built from the right in
    // one buffer, a group of three at a time, and appended at once.
    char text[1 + 8 + 2 * SeparatorRoom];
    char* const end = text + sizeof text;
    char* p = end;
    const std::size_t separator = thousands.size();
    while (value >= 1000) {
        const std::uint32_t group = value % 1000;
        value /= 1000;
        p -= 3;
        p[0] = static_cast<char>('0' + group / 100);
        std::memcpy(p + 1, Pairs + 2 * (group % 100), 2);
        if (separator == 1) {
            *--p = thousands[0];
        } else {
            p -= separator;
            std::memcpy(p, thousands.data(), separator);
        }
    }
    if (value >= 100) {
        p -= 3;
        p[0] = static_cast<char>('0' + value / 100);
        std::memcpy(p + 1, Pairs + 2 * (value % 100), 2);
    } else if (value >= 10) {
        p -= 2;
        std::memcpy(p, Pairs + 2 * value, 2);
    } else {
        *--p = static_cast<char>('0' + value);
    }
    if (negative)
        *--p = '-';
    out.append(p, static_cast<std::size_t>(end - p));
}

} // namespace

void AppendWholeNumber(std::string& out, std::int64_t value, const NumberSeparators& separators)
{
    if (value >= 0 && value < 100000000 && separators.thousands.size() <= SeparatorRoom) {
        AppendGrouped(out, static_cast<std::uint32_t>(value), false, separators.thousands);
        return;
    }
    AppendNumber(out, static_cast<long double>(value), separators);
}

void AppendBlocksAsKb(std::string& out, std::int64_t blocks, const NumberSeparators& separators)
{
    // 10b/81 rounded half up is (20b + 81) / 162 rounded down. The product
    // in extended precision rounds the same: its fraction is a multiple of
    // 1/81, never within 1/162 of a half, far beyond its rounding error.
    // Below 800,000,000 blocks the figure stays under 100,000,000.
    if (blocks >= 0 && blocks < 800'000'000) {
        AppendWholeNumber(out, (20 * blocks + 81) / 162, separators);
        return;
    }
    AppendNumber(out, static_cast<long double>(blocks) * BlocksToKb, separators);
}

void AppendNumber(std::string& out, long double x, const NumberSeparators& separators)
{
    if (std::isnan(x))
        x = 0;
    const bool negative = x < 0;
    const long double magnitude = std::fabs(x);

    if (magnitude < 99999999.5L) {
        const std::uint64_t value = RoundHalfUp(magnitude);
        // Negative values that round to 0 show "-0" from a size of 0.1 on.
        const bool sign = negative && (value != 0 || magnitude >= 0.1L);
        const std::string& thousands = separators.thousands;
        if (thousands.size() <= SeparatorRoom) {
            AppendGrouped(out, static_cast<std::uint32_t>(value), sign, thousands);
            return;
        }
        if (sign)
            out.push_back('-');
        char digits[20];
        int n = 0;
        std::uint64_t rest = value;
        do {
            digits[n++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest);
        for (int i = n - 1; i >= 0; --i) {
            out.push_back(digits[i]);
            if (i && i % 3 == 0)
                out += thousands;
        }
        return;
    }

    // Exponent form: d[.ddddddd]E<exponent>, 8 significant digits, no trailing zeros.
    if (std::isinf(magnitude)) {
        out += negative ? "-INF" : "INF";
        return;
    }
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    std::uint64_t mantissa = RoundHalfUp(magnitude / std::pow(10.0L, exponent - 7));
    if (mantissa >= 100000000) { // rounding carried into a ninth digit
        mantissa /= 10;
        ++exponent;
    } else if (mantissa < 10000000) { // log10 came out one too high
        --exponent;
        mantissa = RoundHalfUp(magnitude / std::pow(10.0L, exponent - 7));
    }
    while (mantissa % 10 == 0 && mantissa >= 10)
        mantissa /= 10;
    if (negative)
        out.push_back('-');
    std::string digits;
    AppendDigits(digits, mantissa);
    out.push_back(digits[0]);
    if (digits.size() > 1) {
        out += separators.decimal;
        out.append(digits, 1);
    }
    out.push_back('E');
    if (exponent < 0)
        out.push_back('-');
    AppendDigits(out, static_cast<std::uint64_t>(std::abs(exponent)));
}

std::string FormatNumber(long double x, const NumberSeparators& separators)
{
    std::string out;
    AppendNumber(out, x, separators);
    return out;
}

} // namespace quillo
