#include "search/number_format.h"

#include <gtest/gtest.h>

#include <clocale>

namespace quillo {
namespace {

struct NumberCase {
    long double value;
    const char* comma;   // ',' and '.'
    const char* dotted;  // '.' and ','
};

TEST(NumberFormat, ThousandsGroupingRoundingAndExponentForm)
{
    const NumberSeparators english{",", "."};
    const NumberSeparators german{".", ","};
    const NumberCase cases[] = {
        {0, "0", "0"},
        {7, "7", "7"},
        {999, "999", "999"},
        {1000, "1,000", "1.000"},
        {1234567, "1,234,567", "1.234.567"},
        {99999999, "99,999,999", "99.999.999"},
        {2.5L, "3", "3"},             // half away from zero
        {2.4999L, "2", "2"},
        {-2.5L, "-3", "-3"},
        {-1234.4L, "-1,234", "-1.234"},
        {-1 * 10.0L / 81.0L, "-0", "-0"}, // -1 blocks: an unopenable file
        {-0.5L, "-1", "-1"},
        {-0.1L, "-0", "-0"},
        {-0.09L, "0", "0"},
        {99999999.5L, "1E8", "1E8"},  // rounds to nine digits
        {100000000, "1E8", "1E8"},
        {123456789, "1.2345679E8", "1,2345679E8"},
        {120000000, "1.2E8", "1,2E8"},
        {999999999.9L, "1E9", "1E9"},
        {1234567890123LL, "1.2345679E12", "1,2345679E12"},
        {-123456789, "-1.2345679E8", "-1,2345679E8"},
        {1000 * 10.0L / 81.0L, "123", "123"},
        {7 * 10.0L / 81.0L, "1", "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatNumber(c.value, english), c.comma) << static_cast<double>(c.value);
        EXPECT_EQ(FormatNumber(c.value, german), c.dotted) << static_cast<double>(c.value);
    }
}

TEST(NumberFormat, MultibyteSeparatorIsKeptWhole)
{
    const NumberSeparators narrowSpace{"\u202f", ","};
    EXPECT_EQ(FormatNumber(1234567, narrowSpace), "1\u202f234\u202f567");
}

TEST(NumberFormat, CLocaleFallsBackToCommaAndPoint)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    const NumberSeparators separators = SeparatorsFromLocale();
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(separators.thousands, ",");
    EXPECT_EQ(separators.decimal, ".");
}

} // namespace
} // namespace quillo
