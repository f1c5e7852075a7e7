#include "search/predicates.h"

#include <gtest/gtest.h>

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

// The prepared search must agree with a plain search on every input.
TEST(PreparedPattern, AgreesWithPlainSearchOnRandomText)
{
    std::mt19937 random(7);
    const std::string alphabet = "abAB \r\x1a\xe9\0"s;
    auto pick = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s.push_back(alphabet[random() % alphabet.size()]);
        return s;
    };
    for (int round = 0; round < 40000; ++round) {
        const std::string needle = pick(random() % 6);
        const std::string hay = pick(random() % (round % 2 ? 24 : 80));
        const PreparedPattern pattern(needle);
        const std::size_t expected = needle.empty() ? std::string::npos : hay.find(needle);
        ASSERT_EQ(pattern.Find(hay), expected) << "needle '" << needle << "' hay '" << hay << "'";
    }
}

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
