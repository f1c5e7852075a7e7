#include "search/match/match_highlight.h"

#include <gtest/gtest.h>

namespace quillo::test {
namespace {

using Ranges = std::vector<ByteRange>;

struct HighlightCase {
    const char* name;
    std::string string1, string2;
    bool caseSensitive;
    std::string line;
    std::size_t limit;
    Ranges expected;
    bool regex = false;
    bool wholeWords = false;
};

void PrintTo(const HighlightCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr std::size_t All = MatchHighlighter::NoLimit;

const HighlightCase HighlightCases[] = {
    {"OneOccurrence", "fox", "", false, "the fox runs", All, {{4, 7}}},
    {"EveryOccurrence", "fox", "", false, "fox, fox and fox", All, {{0, 3}, {5, 8}, {13, 16}}},
    {"IgnoringAsciiCase", "fox", "", false, "FOX Fox fOx", All, {{0, 3}, {4, 7}, {8, 11}}},
    {"FoldedStringFindsLowerCase", "FOX", "", false, "a fox", All, {{2, 5}}},
    {"CaseSensitive", "fox", "", true, "FOX fox Fox", All, {{4, 7}}},
    {"OnlyAsciiLettersFold", "\xe9t\xe9", "", false, "\xc9T\xc9 \xe9T\xe9", All, {{4, 7}}},
    {"OverlappingOccurrencesJoin", "aa", "", false, "xaaay", All, {{1, 4}}},
    {"TouchingOccurrencesJoin", "ab", "", false, "abab ab", All, {{0, 4}, {5, 7}}},
    {"BothStrings", "fox", "dog", false, "dog and fox", All, {{0, 3}, {8, 11}}},
    {"StringsOverlappingEachOther", "abc", "cde", false, "xabcdex", All, {{1, 6}}},
    {"String2InsideString1", "foxes", "fox", false, "foxes", All, {{0, 5}}},
    {"EmptyString2MarksNothing", "fox", "", false, "fox", All, {{0, 3}}},
    {"EmptyStringsMarkNothing", "", "", false, "anything", All, {}},
    {"NoOccurrence", "fox", "dog", false, "cat", All, {}},
    {"EmptyLine", "fox", "", false, "", All, {}},
    {"CutAtTheBound", "fox", "", false, "a fox", 4, {{2, 4}}},
    {"NothingFromTheBoundOn", "fox", "", false, "abcd fox", 5, {}},
    {"EndingAtTheBound", "fox", "", false, "a fox z", 5, {{2, 5}}},
    {"BoundZero", "fox", "", false, "fox", 0, {}},
    {"BoundPastTheLine", "fox", "", false, "fox", 100, {{0, 3}}},
    // Regular expressions and whole words mark the matches the search counts.
    {"ExpressionMatches", "f[aeiou]x", "", false, "fox fax fix", All, {{0, 3}, {4, 7}, {8, 11}}, true},
    {"ExpressionIgnoringCase", "d.g", "", false, "DOG dig", All, {{0, 3}, {4, 7}}, true},
    {"ExpressionCaseSensitive", "d.g", "", true, "DOG dig", All, {{4, 7}}, true},
    {"ExpressionAnchored", "^ab", "", false, "ab ab", All, {{0, 2}}, true},
    {"TwoExpressionsJoin", "ab+", "b+c", false, "xabbbcx", All, {{1, 6}}, true},
    {"ExpressionCutAtTheBound", "o+", "", false, "fooooo", 3, {{1, 3}}, true},
    {"WholeWordsOnly", "fox", "", false, "foxes fox _fox fox.", All, {{6, 9}, {15, 18}}, false, true},
    {"WholeWordsNextToHighBytes", "fox", "", false, "\xe9" "fox fox\xe9 fox", All, {{10, 13}}, false, true},
    {"WholeWordExpressions", "f.x", "", false, "fix, fixes", All, {{0, 3}}, true, true},
};

class Highlighting : public ::testing::TestWithParam<HighlightCase> {};

TEST_P(Highlighting, MarksTheMergedOccurrencesUpToTheBound)
{
    const HighlightCase& c = GetParam();
    SearchSettings settings;
    settings.String1 = c.string1;
    settings.String2 = c.string2;
    settings.Options.CaseSensitive = c.caseSensitive;
    settings.Options.Regex = c.regex;
    settings.Options.WholeWords = c.wholeWords;
    const auto highlighter = MakeHighlighter(settings);
    ASSERT_NE(highlighter, nullptr);
    EXPECT_EQ(highlighter->Ranges(c.line, c.limit), c.expected);
    // A caller's buffer is emptied first.
    Ranges buffer = {{99, 100}};
    highlighter->Ranges(c.line, c.limit, buffer);
    EXPECT_EQ(buffer, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Highlighting, ::testing::ValuesIn(HighlightCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Highlighting, ReverseLogicRunsMarkNothing)
{
    SearchSettings settings;
    settings.String1 = "fox";
    settings.Options.Reverse = true;
    EXPECT_EQ(MakeHighlighter(settings), nullptr);
}

} // namespace
} // namespace quillo::test
