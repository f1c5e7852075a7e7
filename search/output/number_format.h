// The status bar's number format: thousands-separated integers with 8
// significant digits, switching to an exponent form from 100,000,000 on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillo {

struct NumberSeparators {
    std::string thousands = ",";
    std::string decimal = ".";
};

// The first characters of the current C locale's thousands separator and
// decimal point, ',' and '.' where it gives none. Call after setlocale().
NumberSeparators SeparatorsFromLocale();

// The separators used by FormatNumber when none are given; set once at start.
void SetNumberSeparators(NumberSeparators separators);
const NumberSeparators& CurrentNumberSeparators();

// Appends number(x): 1234567 -> "1,234,567", 123456789 -> "1.2345679E8",
// -0.12 -> "-0".
void AppendNumber(std::string& out, long double x, const NumberSeparators& separators);
inline void AppendNumber(std::string& out, long double x) { AppendNumber(out, x, CurrentNumberSeparators()); }
// number(x) for a whole x, such as a line count: the same text as
// AppendNumber gives for it, without the real-number rounding.
void AppendWholeNumber(std::string& out, std::int64_t value, const NumberSeparators& separators);
inline void AppendWholeNumber(std::string& out, std::int64_t value)
{
    AppendWholeNumber(out, value, CurrentNumberSeparators());
}
// 10/81: turns a count of 128-byte blocks into units of 1036.8 bytes.
inline constexpr long double BlocksToKb = 10.0L / 81.0L;

// number(blocks x 10/81), the file position shown for a count of blocks:
// the same text as AppendNumber gives for that product.
void AppendBlocksAsKb(std::string& out, std::int64_t blocks, const NumberSeparators& separators);
inline void AppendBlocksAsKb(std::string& out, std::int64_t blocks)
{
    AppendBlocksAsKb(out, blocks, CurrentNumberSeparators());
}

std::string FormatNumber(long double x, const NumberSeparators& separators);
inline std::string FormatNumber(long double x) { return FormatNumber(x, CurrentNumberSeparators()); }

} // namespace quillo
