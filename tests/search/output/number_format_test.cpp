#include "search/output/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <random>

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

struct WholeCase {
    const char* name;
    std::int64_t value;
    const char* comma; // with ',' and '.'
};

void PrintTo(const WholeCase& c, std::ostream* out) { *out << c.name; }

const WholeCase WholeCases[] = {
    {"Zero", 0, "0"},
    {"OneDigit", 7, "7"},
    {"ThreeDigits", 999, "999"},
    {"FirstSeparator", 1000, "1,000"},
    {"SixDigits", 999999, "999,999"},
    {"SecondSeparator", 1000000, "1,000,000"},
    {"LargestPlain", 99999999, "99,999,999"},
    {"SmallestExponent", 100000000, "1E8"},
    {"ExponentRounded", 123456789, "1.2345679E8"},
    {"ExponentRoundsUp", 999999999, "1E9"},
    {"Int32Max", 2147483647, "2.1474836E9"},
    {"Beyond32Bits", 1234567890123, "1.2345679E12"},
    {"MinusOne", -1, "-1"},
    {"NegativeGrouped", -1234567, "-1,234,567"},
    {"NegativeExponent", -123456789, "-1.2345679E8"},
};

// The separator sets the whole-number path must agree with the general one on:
// the usual ones, a multibyte one, and one too long for its grouping buffer.
const NumberSeparators SeparatorSets[] = {
    {",", "."}, {".", ","}, {"\u202f", ","}, {std::string(20, '\''), "."},
};

class WholeNumbers : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeNumbers, SameTextAsTheGeneralPath)
{
    const WholeCase& c = GetParam();
    std::string text = "Lines: ";
    AppendWholeNumber(text, c.value, NumberSeparators{",", "."});
    EXPECT_EQ(text, std::string("Lines: ") + c.comma);
    for (const NumberSeparators& separators : SeparatorSets) {
        std::string whole;
        AppendWholeNumber(whole, c.value, separators);
        EXPECT_EQ(whole, FormatNumber(static_cast<long double>(c.value), separators))
            << "separator '" << separators.thousands << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WholeNumbers, ::testing::ValuesIn(WholeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Values of every magnitude, the edges of each digit count among them.
TEST(WholeNumbers, RandomSweepAgreesWithTheGeneralPath)
{
    std::mt19937_64 random(11);
    for (int i = 0; i < 200000; ++i) {
        const int bits = static_cast<int>(random() % 42);
        std::int64_t value = static_cast<std::int64_t>(random() & ((std::uint64_t{1} << bits) - 1));
        if (i % 5 == 0)
            value = -value;
        if (i % 7 == 0) { // a power of ten, or one below it
            std::int64_t power = 1;
            for (int k = static_cast<int>(random() % 12); k > 0; --k)
                power *= 10;
            value = power - static_cast<std::int64_t>(random() % 2);
        }
        const NumberSeparators& separators = SeparatorSets[static_cast<std::size_t>(i) % std::size(SeparatorSets)];
        std::string whole;
        AppendWholeNumber(whole, value, separators);
        ASSERT_EQ(whole, FormatNumber(static_cast<long double>(value), separators)) << value;
    }
}

struct BlocksCase {
    const char* name;
    std::int64_t blocks;
    const char* comma;
};

void PrintTo(const BlocksCase& c, std::ostream* out) { *out << c.name; }

const BlocksCase BlocksCases[] = {
    {"Unopened", -1, "-0"},
    {"Empty", 0, "0"},
    {"ThousandBytes", 7, "1"},
    {"FirstHalfKbRoundsDown", 4, "0"},
    {"NextRoundsUp", 5, "1"},
    {"HundredMegabytes", 781250, "96,451"},
    {"LastFast", 799999999, "98,765,432"},
    {"FirstGeneral", 800000000, "98,765,432"},
    {"ExponentForm", 810000000, "1E8"},
    {"Beyond32Bits", std::int64_t{1} << 40, "1.3574218E11"},
    {"NegativeLarge", -1000, "-123"},
};

class BlockFigure : public ::testing::TestWithParam<BlocksCase> {};

TEST_P(BlockFigure, SameTextAsTheRealProduct)
{
    const BlocksCase& c = GetParam();
    const NumberSeparators english{",", "."};
    std::string text = "File Position: ";
    AppendBlocksAsKb(text, c.blocks, english);
    EXPECT_EQ(text, std::string("File Position: ") + c.comma);
    EXPECT_EQ(text.substr(15), FormatNumber(static_cast<long double>(c.blocks) * BlocksToKb, english));
}

INSTANTIATE_TEST_SUITE_P(Table, BlockFigure, ::testing::ValuesIn(BlocksCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every count up to a few hundred thousand, and random ones up to the edge of
// the integer path and past it.
TEST(BlockFigure, SweepAgreesWithTheRealProduct)
{
    const NumberSeparators dotted{".", ","};
    auto check = [&](std::int64_t blocks) {
        std::string figure;
        AppendBlocksAsKb(figure, blocks, dotted);
        ASSERT_EQ(figure, FormatNumber(static_cast<long double>(blocks) * BlocksToKb, dotted)) << blocks;
    };
    for (std::int64_t blocks = -200; blocks < 300000; ++blocks)
        check(blocks);
    std::mt19937_64 random(5);
    for (int i = 0; i < 100000; ++i) {
        check(static_cast<std::int64_t>(random() % 1'000'000'000));
        check(800'000'000 + static_cast<std::int64_t>(random() % 2000) - 1000);
    }
}

} // namespace
} // namespace quillo
