#include "search/match/predicates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

namespace quillo {
namespace {

using namespace std::string_literals;

struct ContainsCase {
    std::string needle, hay;
    std::size_t position;
};

TEST(Contains, PositionIsOneBasedAndEmptyNeverMatches)
{
    const ContainsCase cases[] = {
        {"fox", "the fox", 5},  {"fox", "fox fox", 1}, {"Fox", "the fox", 0}, {"", "abc", 0},
        {"", "", 0},            {"a", "", 0},          {"abc", "ab", 0},      {"\0b"s, "a\0b"s, 2},
        {"\xe9", "caf\xe9", 4}, {"aa", "aaa", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(contains(c.needle, c.hay), c.position) << c.needle << " in " << c.hay;
}

TEST(FoldCase, OnlyAsciiLowerCaseLettersChange)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all += all; // past the eight-byte steps, at every alignment
    const std::string folded = FoldCase(all);
    ASSERT_EQ(folded.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto c = static_cast<unsigned char>(all[i]);
        const unsigned char expected = (c >= 'a' && c <= 'z') ? c - 32 : c;
        EXPECT_EQ(static_cast<unsigned char>(folded[i]), expected) << "byte " << int(c);
    }
    EXPECT_EQ(FoldCase("\xe9\xc9 fox"), "\xe9\xc9 FOX"); // Latin-1 letters stay apart

    // Every length and offset, into a buffer that held a longer line before.
    std::string buffer = FoldCase(all);
    for (std::size_t from = 0; from < 20; ++from)
        for (std::size_t length = 0; length < 40; ++length) {
            const std::size_t start = 'a' - 5 + from; // from a few bytes before the letters
            const std::string_view part(all.data() + start, length);
            FoldCase(part, buffer);
            ASSERT_EQ(buffer, folded.substr(start, length)) << from << "+" << length;
        }
}

class PreparedSearch : public ::testing::TestWithParam<bool> {};

// The prepared search must agree with a plain search on every input; ignoring
// case, with a plain search of the folded needle in the folded hay. The bytes
// next to the letters and the Latin-1 letters that differ by the case bit too
// must never count as the other case of a letter.
TEST_P(PreparedSearch, AgreesWithPlainSearchOnRandomText)
{
    const bool ignoreCase = GetParam();
    std::mt19937 random(7);
    const std::string alphabet = "abAB \r\x1a\xe9\0@`[{zZ\xc1\xe1"s;
    auto pick = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s.push_back(alphabet[random() % alphabet.size()]);
        return s;
    };
    for (int round = 0; round < 40000; ++round) {
        const std::string needle = pick(random() % 6);
        const std::string hay = pick(random() % (round % 3 == 0 ? 24 : round % 3 == 1 ? 80 : 300));
        const PreparedPattern pattern(needle, ignoreCase);
        const std::size_t expected = needle.empty()  ? std::string::npos
                                     : ignoreCase ? FoldCase(hay).find(FoldCase(needle))
                                                  : hay.find(needle);
        ASSERT_EQ(pattern.Find(hay), expected) << "needle '" << needle << "' hay '" << hay << "'";
    }
}

// Lines cut in order from a text searched ahead get the answers they get
// alone, also where an occurrence runs over a line's end, where a line is
// skipped or asked twice, and for copies of lines that lie elsewhere.
TEST_P(PreparedSearch, SearchAheadAnswersAsEachLineAlone)
{
    const bool ignoreCase = GetParam();
    std::mt19937 random(17);
    const std::string alphabet = "abAB\r\n\0@"s;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t i = random() % 400; i > 0; --i)
            text.push_back(alphabet[random() % alphabet.size()]);
        std::string needle;
        for (std::size_t i = 1 + random() % 3; i > 0; --i)
            needle.push_back(alphabet[random() % 4]);
        const PreparedPattern pattern(needle, ignoreCase);
        const PreparedPattern alone(needle, ignoreCase);
        pattern.SearchAhead(text);
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t length = std::min<std::size_t>(text.size() - at, random() % 40);
            const std::string_view line(text.data() + at, length);
            const bool expected = alone.In(line);
            ASSERT_EQ(pattern.In(line), expected) << "needle '" << needle << "' at " << at << " in '" << text << "'";
            if (random() % 4 == 0) {
                ASSERT_EQ(pattern.In(line), expected) << "asked again";
            }
            const std::string copy(line);
            ASSERT_EQ(pattern.In(copy), expected) << "a copy";
            at += length + random() % 3; // the line end, or a skipped byte
        }
        pattern.SearchAhead({});
        EXPECT_EQ(pattern.In(text), alone.In(text));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PreparedSearch, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "IgnoringCase" : "CaseSensitive"; });

struct PredicateCase {
    const char* line;
    bool single, andOp, orOp, xorOp, andNot;
};

TEST(Predicates, TruthTableForFoxAndDog)
{
    const PreparedPattern fox("fox"), dog("dog");
    const PredicateCase cases[] = {
        {"fox and dog", true, true, true, false, false},
        {"fox alone", true, false, true, true, true},
        {"dog alone", false, false, true, true, false},
        {"neither", false, false, false, false, false},
        {"", false, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(MatchSingle(fox, dog, c.line), c.single);
        EXPECT_EQ(MatchAnd(fox, dog, c.line), c.andOp);
        EXPECT_EQ(MatchOr(fox, dog, c.line), c.orOp);
        EXPECT_EQ(MatchXor(fox, dog, c.line), c.xorOp);
        EXPECT_EQ(MatchAndNot(fox, dog, c.line), c.andNot);
    }
}

TEST(Predicates, AndNotWithPattern2InsidePattern1NeverMatches)
{
    const PreparedPattern abc("abc"), b("b");
    for (const char* line : {"abc", "xabcx", "b", "ac", ""})
        EXPECT_FALSE(MatchAndNot(abc, b, line)) << line;
}

TEST(Predicates, EmptyPatternMatchesNothing)
{
    const PreparedPattern empty, a("a");
    for (const char* line : {"", "a", "anything"}) {
        EXPECT_FALSE(MatchSingle(empty, empty, line));
        EXPECT_EQ(MatchOr(empty, a, line), std::string_view(line).find('a') != std::string_view::npos);
    }
}

struct OperatorCase {
    std::string string2;
    int index;
    Predicate predicate;
    std::string description;
};

TEST(ChooseOperator, TableOfPredicateAndDescription)
{
    const OperatorCase cases[] = {
        {"", 0, &MatchSingle, ""},         {"", 2, &MatchSingle, ""},
        {"", -1, &MatchSingle, ""},        {"Dog", 0, &MatchAnd, " and Dog"},
        {"Dog", 1, &MatchOr, " or Dog"},   {"Dog", 2, &MatchXor, " xor Dog"},
        {"Dog", 3, &MatchAndNot, " and not Dog"}, {" ", 1, &MatchOr, " or  "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.string2 + "/" + std::to_string(c.index));
        const auto choice = ChooseOperator(c.string2, c.index);
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(choice->predicate, c.predicate);
        EXPECT_EQ(choice->description, c.description);
    }
}

TEST(ChooseOperator, NoSelectionWithString2IsRefused)
{
    EXPECT_FALSE(ChooseOperator("dog", -1).has_value());
    EXPECT_FALSE(ChooseOperator("dog", 4).has_value());
}

} // namespace
} // namespace quillo
