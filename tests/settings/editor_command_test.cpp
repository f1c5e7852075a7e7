#include "settings/editor_command.h"

#include <gtest/gtest.h>

namespace quillo::test {
namespace {

using Words = std::vector<std::string>;

struct EditorCase {
    const char* name;
    std::string command;
    std::string file;
    std::uint32_t line;
    std::optional<Words> expected; // nothing: the command cannot be started
};

void PrintTo(const EditorCase& c, std::ostream* os)
{
    *os << c.name;
}

const EditorCase EditorCases[] = {
    {"FileAndLineAsWords", "kate --line %l %f", "/a/b.txt", 12, Words{"kate", "--line", "12", "/a/b.txt"}},
    {"FileAndLineInOneWord", "code --goto %f:%l", "/a/b.txt", 3, Words{"code", "--goto", "/a/b.txt:3"}},
    {"PlusLine", "gedit +%l %f", "/x", 7, Words{"gedit", "+7", "/x"}},
    {"NameWithSpacesStaysOneWord", "gvim +%l %f", "/my docs/a b.txt", 1,
     Words{"gvim", "+1", "/my docs/a b.txt"}},
    {"NameWithQuotesAndShellCharacters", "ed %f", "/t/it's \"$(rm -rf x)\";`y`.txt", 1,
     Words{"ed", "/t/it's \"$(rm -rf x)\";`y`.txt"}},
    {"NameWithLeadingDash", "ed %f", "-rf", 1, Words{"ed", "./-rf"}},
    {"NameWithPercentIsNotExpandedAgain", "ed %f %l", "/t/%l%f.txt", 5, Words{"ed", "/t/%l%f.txt", "5"}},
    {"PercentLiteral", "ed --width=100%% %f", "/f", 1, Words{"ed", "--width=100%", "/f"}},
    {"UnknownCodeStandsForNothing", "ed %u %f x%iy", "/f", 1, Words{"ed", "/f", "xy"}},
    {"TrailingPercentKept", "ed %f 5%", "/f", 1, Words{"ed", "/f", "5%"}},
    {"CapitalFIsTheFileToo", "ed %F", "/f", 1, Words{"ed", "/f"}},
    {"NoFileCodeGetsThePathLast", "geany --line=%l", "/a b", 9, Words{"geany", "--line=9", "/a b"}},
    {"QuotedProgramWithSpaces", "\"/opt/my editor/bin/ed\" -n %l %f", "/f", 2,
     Words{"/opt/my editor/bin/ed", "-n", "2", "/f"}},
    {"QuotedWordKeepsBlanks", "ed \"--title=A  B\" %f", "/f", 1, Words{"ed", "--title=A  B", "/f"}},
    {"EscapesInsideQuotes", "ed \"a\\\"b\\\\c\\$d\\`e\\x\" %f", "/f", 1, Words{"ed", "a\"b\\c$d`e\\x", "/f"}},
    {"BackslashOutsideQuotesIsLiteral", "ed a\\b %f", "/f", 1, Words{"ed", "a\\b", "/f"}},
    {"EmptyQuotedWordKept", "ed \"\" %f", "/f", 1, Words{"ed", "", "/f"}},
    {"QuotedPlaceholders", "ed \"%f:%l\"", "/a b", 4, Words{"ed", "/a b:4"}},
    {"ExtraBlanksAndTabs", "  ed\t\t+%l   %f  ", "/f", 8, Words{"ed", "+8", "/f"}},
    {"UnclosedQuote", "ed \"%f", "/f", 1, std::nullopt},
    {"Blank", "   ", "/f", 1, std::nullopt},
    {"OnlyACode", "%f", "/f", 1, Words{"/f"}},
    {"EmptyProgram", "\"\" %f", "/f", 1, std::nullopt},
};

class EditorCommand : public ::testing::TestWithParam<EditorCase> {};

TEST_P(EditorCommand, SplitsAndFillsInThePlaceholders)
{
    const EditorCase& c = GetParam();
    EXPECT_EQ(EditorArguments(c.command, c.file, c.line), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, EditorCommand, ::testing::ValuesIn(EditorCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
