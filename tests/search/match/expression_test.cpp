#include "search/match/expression.h"
#include "search/match/predicates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>

namespace quillo {
namespace {

using namespace std::string_literals;

constexpr bool Sensitive = true, Ignore = false;
constexpr bool Regex = true, Literal = false;
constexpr bool Words = true, Anywhere = false;

// One line against two search strings under one rule, and whether each
// string is present in it by hand.
struct Row {
    const char* name;
    std::string pattern1, pattern2;
    bool caseSensitive, regex, words;
    std::string line;
    bool present1, present2;
};

PatternRule RuleOf(const Row& r) { return {!r.caseSensitive, r.regex, r.words}; }

const Row Rows[] = {
    // Anchors, classes, alternation.
    {"AnchorStart", "^fox", "dog$", Sensitive, Regex, Anywhere, "fox and dog", true, true},
    {"AnchorStartMissed", "^fox", "^dog", Sensitive, Regex, Anywhere, "the fox dog", false, false},
    {"ClassesAndRepetition", "[0-9]{3}-[0-9]+", "\\d\\s\\w", Sensitive, Regex, Anywhere, "call 555-1234", true, false},
    {"Alternation", "cat|dog", "(fish|bird)s?$", Sensitive, Regex, Anywhere, "dogs and birds", true, true},
    {"AlternationNone", "cat|dog", "x(a|b)y", Sensitive, Regex, Anywhere, "cow xcy", false, false},
    {"EscapedDot", "a\\.b", "a.b", Sensitive, Regex, Anywhere, "axb", false, true},
    {"UnfinishedQuote", "\\Qa+b", "x", Sensitive, Regex, Anywhere, "1a+b", true, false},
    // Case.
    {"CaseSensitiveRegex", "Fox", "fox", Sensitive, Regex, Anywhere, "the fox", false, true},
    {"IgnoringCaseRegex", "F[O]x", "DOG", Ignore, Regex, Anywhere, "the fOX dog", true, true},
    {"IgnoringCaseUtf8", "é", "ÉCOLE", Ignore, Regex, Anywhere, "École é", true, true},
    {"LiteralKeepsAsciiCaseRule", "é", "fox", Ignore, Literal, Anywhere, "É FOX", false, true},
    {"KelvinSignFoldsToK", "ok", "\\x{212A}", Ignore, Regex, Anywhere, "O\u212A", true, true},
    {"LongSFoldsToS", "as", "s$", Ignore, Regex, Anywhere, "a\u017F", true, true},
    // Text that is not valid UTF-8.
    {"DotTakesACharacter", "h.llo", "^.$", Sensitive, Regex, Anywhere, "héllo", true, false},
    {"StrayByteLeavesTheRestMatchable", "abc", "b.d", Sensitive, Regex, Anywhere, "\xff\xfe" "abc", true, false},
    {"DotTakesAStrayByte", "h.llo", "^.bc", Sensitive, Regex, Anywhere, "h\xffllo", true, false},
    {"StrayByteAtTheStart", "^.bc$", "^..bc$", Sensitive, Regex, Anywhere, "\xe9" "bc", true, false},
    {"NonAsciiPatternBesideAStrayByte", "é+", "x", Sensitive, Regex, Anywhere, "é\xff", true, false},
    {"TruncatedSequence", "a", "\\xff", Sensitive, Regex, Anywhere, "\xc3", false, false},
    // Empty matches.
    {"EmptyLineMatchesEmptyExpression", "^$", "x*", Sensitive, Regex, Anywhere, "", true, true},
    {"EmptyMatchInALine", "^$", "x*", Sensitive, Regex, Anywhere, "abc", false, true},
    {"EmptyStringNeverMatches", "", "a", Sensitive, Regex, Anywhere, "a", false, true},
    {"EmptyStringNeverMatchesAsWord", "", "", Ignore, Literal, Words, "", false, false},
    // Whole words, literal.
    {"WordAloneOnTheLine", "cat", "dog", Sensitive, Literal, Words, "cat", true, false},
    {"WordAtTheEdges", "cat", "dog", Sensitive, Literal, Words, "cat, dog", true, true},
    {"WordInsideOthers", "cat", "dog", Sensitive, Literal, Words, "concat dogs _dog", false, false},
    {"LaterOccurrenceIsAWord", "cat", "og", Sensitive, Literal, Words, "cats cat", true, false},
    {"BytesAbove127AreLetters", "cat", "dog", Sensitive, Literal, Words, "\xe9" "cat dog\xe9", false, false},
    {"WordIgnoringCase", "CAT", "Dog", Ignore, Literal, Words, "a Cat-dog", true, true},
    {"DigitsAndUnderscoreAreWordBytes", "7", "x", Sensitive, Literal, Words, "17 x_ 7", true, false},
    {"NonWordPattern", "+", "b", Sensitive, Literal, Words, "a + b", true, true},
    // Whole words, expressions: later matches are tried as grep -w does.
    {"RegexWordLaterMatch", "a+", "b+", Sensitive, Regex, Words, "baa a", true, false},
    {"RegexWordShorterEnd", "ab|abc", "ca", Sensitive, Regex, Words, "abc", true, false},
    {"RegexWordAnchors", "^ca", "at$", Sensitive, Regex, Words, "cat", false, false},
    {"RegexWordAnchorsBounded", "^c", "at$", Sensitive, Regex, Words, "c at", true, true},
    {"RegexWordNextToUtf8", "caf", "[a-z]+", Sensitive, Regex, Words, "café", false, false},
    {"RegexWordUtf8Inside", "caf.", "^[^ ]+$", Sensitive, Regex, Words, "café", true, true},
    {"RegexWordIgnoringCase", "fox(es)?", "FOX", Ignore, Regex, Words, "Foxes, FOX", true, true},
    {"RegexWordEmptyMatch", "x*", "x*", Sensitive, Regex, Words, "ab", false, false},
    {"RegexWordEmptyMatchBetweenSpaces", "x*", "^", Sensitive, Regex, Words, "a  b", true, false},
    {"RegexWordStrayByteIsALetter", "ab", "b", Sensitive, Regex, Words, "ab\xff b", false, true},
};

class MatchingRules : public ::testing::TestWithParam<Row> {};

// Every operator gives what its truth table makes of the two strings'
// presence, and each pattern agrees with itself in Find and Count.
TEST_P(MatchingRules, EveryOperatorFollowsThePresenceOfBothStrings)
{
    const Row& r = GetParam();
    const PreparedPattern p1(r.pattern1, RuleOf(r)), p2(r.pattern2, RuleOf(r));
    const bool a = r.present1, b = r.present2;
    EXPECT_EQ(p1.In(r.line), a);
    EXPECT_EQ(p2.In(r.line), b);
    EXPECT_EQ(MatchSingle(p1, p2, r.line), a);
    EXPECT_EQ(MatchAnd(p1, p2, r.line), a && b);
    EXPECT_EQ(MatchOr(p1, p2, r.line), a || b);
    EXPECT_EQ(MatchXor(p1, p2, r.line), a != b);
    EXPECT_EQ(MatchAndNot(p1, p2, r.line), a && !b);
    EXPECT_EQ(p1.Find(r.line) != std::string_view::npos, a);
    // The line's bytes held inside a larger buffer searched ahead.
    const std::string buffer = "x\n" + r.line + "\nx";
    p1.SearchAhead(buffer);
    EXPECT_EQ(p1.In(std::string_view(buffer).substr(2, r.line.size())), a) << "searched ahead";
    p1.SearchAhead({});
}

INSTANTIATE_TEST_SUITE_P(Table, MatchingRules, ::testing::ValuesIn(Rows),
                         [](const auto& info) { return std::string(info.param.name); });

// Where ECMAScript reads an expression as RE2 does (ASCII lines, no word
// rule), std::regex is a second opinion on the table.
TEST(MatchingRules, AsciiExpressionsAgreeWithStdRegex)
{
    int compared = 0;
    for (const Row& r : Rows) {
        const std::string both = r.line + r.pattern1;
        if (!r.regex || r.words || r.pattern1.empty() || r.pattern1.find("\\Q") != std::string::npos ||
            std::any_of(both.begin(), both.end(), [](char c) { return static_cast<unsigned char>(c) >= 128; }))
            continue;
        auto flags = std::regex::ECMAScript;
        if (!r.caseSensitive)
            flags |= std::regex::icase;
        EXPECT_EQ(std::regex_search(r.line, std::regex(r.pattern1, flags)), r.present1) << r.name;
        ++compared;
    }
    EXPECT_GT(compared, 5);
}

struct CountRow {
    const char* name;
    std::string pattern;
    bool caseSensitive, regex, words;
    std::string line;
    std::int64_t count;
    std::vector<ByteRange> ranges;
};

class Occurrences : public ::testing::TestWithParam<CountRow> {};

TEST_P(Occurrences, CountOverlappingAndRangesJoined)
{
    const CountRow& r = GetParam();
    const PreparedPattern p(r.pattern, PatternRule{!r.caseSensitive, r.regex, r.words});
    EXPECT_EQ(p.Count(r.line), r.count);
    EXPECT_EQ(p.MatchRanges(r.line), r.ranges);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Occurrences,
    ::testing::Values(
        CountRow{"LiteralOverlapping", "aa", Sensitive, Literal, Anywhere, "aaa", 2, {{0, 3}}},
        CountRow{"LiteralAsToday", "ab", Sensitive, Literal, Anywhere, "abab ab", 3, {{0, 4}, {5, 7}}},
        CountRow{"LiteralIgnoringCase", "ab", Ignore, Literal, Anywhere, "xAB ab", 2, {{1, 3}, {4, 6}}},
        CountRow{"WordsOnly", "ab", Sensitive, Literal, Words, "ab abab ab_ ab", 2, {{0, 2}, {12, 14}}},
        CountRow{"RegexOverlapping", "a+", Sensitive, Regex, Anywhere, "aaa b a", 4, {{0, 3}, {6, 7}}},
        CountRow{"RegexAnchorCountsOnce", "^a", Sensitive, Regex, Anywhere, "aaa", 1, {{0, 1}}},
        CountRow{"RegexEmptyMatchesCount", "x*", Sensitive, Regex, Anywhere, "ab", 3, {}},
        CountRow{"RegexWords", "[a-z]+", Sensitive, Regex, Words, "ab c_d e\xe9 f", 2, {{0, 2}, {10, 11}}},
        CountRow{"RegexEveryStartOfARun", "a+b?", Sensitive, Regex, Anywhere, "xaaab aa", 5, {{1, 5}, {6, 8}}},
        CountRow{"RegexWordsFromLaterStarts", "a+|ba", Sensitive, Regex, Words, "ba a_a aa", 2, {{0, 2}, {7, 9}}},
        CountRow{"RegexAnchoredEndCounts", "a*$", Sensitive, Regex, Anywhere, "baa", 3, {{1, 3}}},
        CountRow{"RegexUtf8CaseRanges", "é", Ignore, Regex, Anywhere, "Éé", 2, {{0, 4}}},
        CountRow{"RegexStrayByteRanges", "b.", Sensitive, Regex, Anywhere, "ab\xff", 1, {{1, 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct LiteralRow {
    const char* name;
    std::string pattern;
    bool ignoreCase;
    std::string literal;
};

class Prefilter : public ::testing::TestWithParam<LiteralRow> {};

TEST_P(Prefilter, LongestRequiredLiteral)
{
    const LiteralRow& r = GetParam();
    EXPECT_EQ(RequiredLiteral(r.pattern, r.ignoreCase), r.literal);
    const PreparedPattern p(r.pattern, PatternRule{r.ignoreCase, true, false});
    EXPECT_EQ(p.Prefilter() != nullptr, !r.literal.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Prefilter,
    ::testing::Values(LiteralRow{"PrefixBeforeAClass", "quillo[a-z]*get", true, "quillo"},
                      LiteralRow{"OptionalUnitsBreakRuns", "ab*cde?f", false, "cd"},
                      LiteralRow{"PlusKeepsItsUnit", "x+yz", false, "yz"},
                      LiteralRow{"CountedRepetition", "x{2}yzw{0,3}v", false, "yz"},
                      LiteralRow{"EscapedPunctuation", "\\.tar\\.gz$", false, ".tar.gz"},
                      LiteralRow{"GroupsAndClassesSkipped", "(ab|cd)[)(]efg", false, "efg"},
                      LiteralRow{"AlternationGivesNone", "abc|def", false, ""},
                      LiteralRow{"FlagsGiveNone", "(?i)abc", false, ""},
                      LiteralRow{"CaseFoldingPartnersOutsideAscii", "desk", true, "de"},
                      LiteralRow{"Utf8WhenCaseSensitive", "é+x", false, "é"},
                      LiteralRow{"Utf8DroppedIgnoringCase", "éxy", true, "xy"},
                      LiteralRow{"LazyRepetition", "ab*?c", false, "a"}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever line an expression matches holds its prefilter literal, and the
// count of matches is the number of match starts: random expressions over a
// small alphabet against random lines.
TEST(Prefilter, EveryMatchHoldsTheLiteral)
{
    std::mt19937 random(19);
    const std::vector<std::string> units = {"a", "b", "K", "s", "é", ".", "[ab]", "(a|b)", "a*", "b+", "\\.",
                                            "x?", "^", "$", "(?:ab)+", "k{2}", "\\w"};
    const std::string bytes = "abKksS.x\xe9\xc3\xa9\xe2\x84\xaa ";
    int checked = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string pattern;
        for (int n = 1 + random() % 5; n > 0; --n)
            pattern += units[random() % units.size()];
        const bool ignoreCase = random() % 2;
        const PreparedPattern p(pattern, PatternRule{ignoreCase, true, false});
        const Expression plain(pattern, ignoreCase, false);
        std::string line;
        for (int n = random() % 12; n > 0; --n)
            line.push_back(bytes[random() % bytes.size()]);
        ASSERT_EQ(p.In(line), plain.In(line)) << pattern << " / " << line;
        // Counting tests each byte after a match for a match starting there;
        // searching from it must find the same starts.
        std::int64_t starts = 0;
        for (std::size_t at = 0; (at = plain.FindFrom(line, at)) != std::string_view::npos; ++at)
            ++starts;
        ASSERT_EQ(plain.Count(line), starts) << pattern << " / " << line;
        const Expression words(pattern, ignoreCase, true);
        std::int64_t wordStarts = 0;
        for (std::size_t at = 0; (at = words.FindFrom(line, at)) != std::string_view::npos; ++at)
            ++wordStarts;
        ASSERT_EQ(words.Count(line), wordStarts) << pattern << " / " << line << " as words";
        if (p.Prefilter() && plain.In(line))
            ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(InvalidExpression, CarriesTheEnginesReason)
{
    for (const char* bad : {"(ab", "a**", "[z-a]", "x{2,1}", "\\", "a(?<x"}) {
        SCOPED_TRACE(bad);
        try {
            PreparedPattern(bad, PatternRule{false, true, false});
            ADD_FAILURE() << "compiled";
        } catch (const InvalidExpression& e) {
            EXPECT_NE(std::string(e.what()), "");
        }
        // As a whole word too; as a literal it is just text.
        EXPECT_THROW(PreparedPattern(bad, PatternRule{false, true, true}), InvalidExpression);
        EXPECT_NO_THROW(PreparedPattern(bad, PatternRule{false, false, true}));
    }
}

// Linear time: the classic blow-up for backtracking engines; and counting
// every start of a long run does not read the run again for each start.
TEST(Expression, NestedRepetitionOnALongLineAnswers)
{
    const std::string line(100000, 'a');
    const PreparedPattern p("(a|aa)*c", PatternRule{false, true, false});
    EXPECT_FALSE(p.In(line));
    EXPECT_EQ(PreparedPattern("a+", PatternRule{false, true, false}).Count(line), 100000);
    EXPECT_EQ(PreparedPattern("a+", PatternRule{false, true, true}).Count(line), 1);
}

} // namespace
} // namespace quillo
