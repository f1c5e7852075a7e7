#include "app/command_line.h"
#include "app/terminal.h"
#include "filelist/list_file.h"
#include "settings/paths.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace quillo::test {
namespace {

using Strings = std::vector<std::string>;

class FakeWindow : public CommandLineHost {
public:
    Strings Files;
    std::string String1, String2;
    int Operator = 0;
    bool Search = false;
    Strings Runs;     // "string1|operator|string2|files"
    int WrongFilename = 0;

    void ShowWrongFilename() override { ++WrongFilename; }
    void AppendFileEntry(const std::string& entry) override { Files.push_back(entry); }
    void LoadFileList(const std::string& listFile) override { Files = ReadListFile(listFile); }
    std::size_t FileCount() override { return Files.size(); }
    void SetString1(const std::string& text) override { String1 = text; }
    void SetString2(const std::string& text) override { String2 = text; }
    void SelectOperator(int index) override { Operator = index; }
    bool SearchEnabled() override { return Search; }
    void SetSearchEnabled(bool on) override { Search = on; }
    void RunSearchFromCommandLine() override
    {
        Runs.push_back(String1 + "|" + std::to_string(Operator) + "|" + String2 + "|" +
                       std::to_string(Files.size()));
    }
};

struct FormCase {
    const char* name;
    Strings params; // "FILE", "PATTERN", "TREE", "LIST" stand for real paths
    Strings files;  // the same stand-ins, "A", "B" for the pattern's files, "C", "D" for the tree's,
                    // "X1", "X2" for the list's lines
    std::string string1, string2;
    int op;
    bool search;
    Strings runs;
};

void PrintTo(const FormCase& c, std::ostream* out) { *out << c.name; }

class CommandLineForms : public ::testing::TestWithParam<FormCase> {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir.Path() / "p");
        names["FILE"] = dir.Write("f.txt", "x");
        names["A"] = dir.Write("p/a.txt", "a");
        names["B"] = dir.Write("p/b.txt", "b");
        names["PATTERN"] = (dir.Path() / "p" / "*.txt").string();
        std::filesystem::create_directories(dir.Path() / "t" / "d");
        names["C"] = dir.Write("t/c.txt", "c");
        names["D"] = dir.Write("t/d/d.txt", "d");
        names["TREE"] = (dir.Path() / "t" / "**" / "*.txt").string();
        names["LIST"] = dir.Write("l.lst", "x1\r\nx2\r\n");
        names["X1"] = "x1";
        names["X2"] = "x2";
    }
    std::string Real(const std::string& name) { return names.count(name) ? names[name] : name; }

    TempDir dir;
    std::map<std::string, std::string> names;
};

TEST_P(CommandLineForms, AcceptedForms)
{
    const FormCase& c = GetParam();
    Strings params, files;
    for (const auto& p : c.params)
        params.push_back(Real(p));
    for (const auto& f : c.files)
        files.push_back(Real(f));
    FakeWindow window;
    ApplyCommandLine(params, window);
    std::sort(window.Files.begin(), window.Files.end()); // the pattern's files come in directory order
    EXPECT_EQ(window.Files, files);
    EXPECT_EQ(window.String1, c.string1);
    EXPECT_EQ(window.String2, c.string2);
    EXPECT_EQ(window.Operator, c.op);
    EXPECT_EQ(window.Search, c.search);
    EXPECT_EQ(window.Runs, c.runs);
    EXPECT_EQ(window.WrongFilename, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineForms,
    ::testing::Values(
        FormCase{"FileAlone", {"FILE"}, {"FILE"}, "", "", 0, false, {}},
        FormCase{"PatternAlone", {"PATTERN"}, {"A", "B"}, "", "", 0, false, {}},
        FormCase{"ListOnly", {"LIST", "/LIST"}, {"X1", "X2"}, "", "", 0, false, {}},
        FormCase{"GoAsString1RunsNothing", {"FILE", "/GO"}, {"FILE"}, "", "", 0, false, {}},
        FormCase{"String1NoRun", {"FILE", "s1"}, {"FILE"}, "s1", "", 0, true, {}},
        FormCase{"String1AndGo", {"FILE", "s1", "/GO"}, {"FILE"}, "s1", "", 0, true, {"s1|0||1"}},
        FormCase{"OrAndGo", {"FILE", "s1", "OR", "s2", "/GO"}, {"FILE"}, "s1", "s2", 1, true, {"s1|1|s2|1"}},
        FormCase{"XorNoRun", {"FILE", "s1", "XOR", "s2"}, {"FILE"}, "s1", "s2", 2, true, {}},
        FormCase{"OtherWordKeepsOperator", {"FILE", "s1", "word", "s2", "/GO"}, {"FILE"}, "s1", "s2", 0, true,
                 {"s1|0|s2|1"}},
        FormCase{"GoAsString2AndRun", {"FILE", "s1", "&NOT", "/GO"}, {"FILE"}, "s1", "/GO", 3, true, {"s1|3|/GO|1"}},
        FormCase{"TwoRuns", {"FILE", "s1", "/GO", "/GO"}, {"FILE"}, "s1", "", 0, true, {"s1|0||1", "s1|0||1"}},
        FormCase{"ListString1AndGo", {"LIST", "s1", "/LIST", "/GO"}, {"X1", "X2"}, "s1", "", 0, true, {"s1|0||2"}},
        // keywords in any case; operator words only in capitals
        FormCase{"GoInSmallLetters", {"FILE", "s1", "/go", "/Go"}, {"FILE"}, "s1", "", 0, true, {"s1|0||1", "s1|0||1"}},
        FormCase{"ListInSmallLetters", {"LIST", "/list"}, {"X1", "X2"}, "", "", 0, false, {}},
        FormCase{"SmallOrIsNoOperator", {"FILE", "s1", "or", "s2"}, {"FILE"}, "s1", "s2", 0, true, {}},
        FormCase{"ListInPosition2EndsProcessing", {"FILE", "/LIST", "s1", "OR", "s2"}, {"x"}, "", "", 0, false, {}},
        // a pattern ignores "/LIST"
        FormCase{"PatternIgnoresList", {"PATTERN", "s1", "/LIST", "/GO"}, {"A", "B"}, "s1", "", 0, true, {"s1|0||2"}},
        // search strings are taken verbatim
        FormCase{"StringsVerbatim", {"FILE", "Mixed Case", "OR", "-style"}, {"FILE"}, "Mixed Case", "-style", 1, true,
                 {}},
        // every file below the pattern's start folder
        FormCase{"TreePatternAndGo", {"TREE", "s1", "/GO"}, {"C", "D"}, "s1", "", 0, true, {"s1|0||2"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Qt never sees these: options of its own such as "-style" are parameters too.
TEST(CommandLine, ParametersAreTheArgumentsAfterTheProgramWithoutEmptyOnes)
{
    EXPECT_EQ(ProgramParameters({"quillo", "", "-style", "fusion", "", "a b", "/GO"}),
              (Strings{"-style", "fusion", "a b", "/GO"}));
    EXPECT_TRUE(ProgramParameters({"quillo"}).empty());
    EXPECT_TRUE(ProgramParameters({}).empty());
}

TEST(CommandLine, AndIsNoKeywordAndKeepsTheStoredOperator)
{
    TempDir dir;
    FakeWindow window;
    window.Operator = 2;
    ApplyCommandLine({dir.Write("f.txt", "x"), "s1", "AND", "s2"}, window);
    EXPECT_EQ(window.Operator, 2);
    EXPECT_EQ(window.String2, "s2");
}

TEST(CommandLine, WrongFilenameStillAppliesTheRest)
{
    TempDir dir;
    FakeWindow preloaded;
    preloaded.Files = {"loaded.txt"};
    ApplyCommandLine({(dir.Path() / "missing.txt").string(), "s1", "OR", "s2", "/GO"}, preloaded);
    EXPECT_EQ(preloaded.WrongFilename, 1);
    EXPECT_EQ(preloaded.Files, Strings{"loaded.txt"});
    EXPECT_EQ(preloaded.Runs, Strings{"s1|1|s2|1"});

    FakeWindow empty;
    ApplyCommandLine({dir.Path().string(), "s1", "/GO"}, empty); // a folder is no file
    EXPECT_EQ(empty.WrongFilename, 1);
    EXPECT_FALSE(empty.Search);
    EXPECT_TRUE(empty.Runs.empty());

    for (const char* pattern : {"*.none", "**/*.none"}) {
        FakeWindow noMatch;
        ApplyCommandLine({(dir.Path() / pattern).string()}, noMatch);
        EXPECT_EQ(noMatch.WrongFilename, 1) << pattern;
    }
}

// "folder/*" used to fail because the folder's own "." entry came first.
TEST(CommandLine, FolderStarFindsTheFilesHiddenOnesIncluded)
{
    TempDir dir;
    const std::string hidden = dir.Write(".hidden", "h");
    const std::string plain = dir.Write("plain", "p");
    std::filesystem::create_directory(dir.Path() / "sub");
    FakeWindow window;
    ApplyCommandLine({dir.Path().string() + "/*"}, window);
    std::sort(window.Files.begin(), window.Files.end());
    EXPECT_EQ(window.WrongFilename, 0);
    EXPECT_EQ(window.Files, (Strings{hidden, plain}));
}

TEST(CommandLine, UnreadableListFileRaisesAndSkipsTheRest)
{
    TempDir dir;
    const std::string list = (dir.Path() / "fifo.lst").string();
    ASSERT_EQ(::mkfifo(list.c_str(), 0600), 0); // exists, but is no list file
    FakeWindow window;
    EXPECT_ANY_THROW(ApplyCommandLine({list, "/LIST", "s1"}, window));
    EXPECT_TRUE(window.Files.empty());
}

// What the program answers on the terminal before any window: "--help" and
// "--version" alone, and the want of a display; everything else goes on to
// the window and keeps its meaning there.
struct TerminalCase {
    const char* name;
    Strings params;
    std::map<std::string, std::string> environment;
    std::optional<int> exitCode; // nothing: the window opens
    const char* out;             // all of standard output; "USAGE" for the usage
    const char* err;             // all of standard error; "NO DISPLAY" for its line
};

void PrintTo(const TerminalCase& c, std::ostream* out) { *out << c.name; }

class TerminalAnswers : public ::testing::TestWithParam<TerminalCase> {};

const std::map<std::string, std::string> X11{{"DISPLAY", ":0"}};

TEST_P(TerminalAnswers, BeforeAnyWindow)
{
    const TerminalCase& c = GetParam();
    const Environment environment = [&c](const char* name) -> std::optional<std::string> {
        const auto found = c.environment.find(name);
        return found == c.environment.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    std::ostringstream out, err;
    EXPECT_EQ(AnswerOnTerminal(c.params, environment, out, err), c.exitCode);
    if (std::string(c.out) == "USAGE") {
        const std::string usage = out.str();
        EXPECT_EQ(usage, UsageText(SettingsFile(), ListFile()));
        for (const char* word : {"Usage: quillo ", "**", "/LIST", "/GO", "OR, XOR or &NOT", "--version"})
            EXPECT_NE(usage.find(word), std::string::npos) << word;
        EXPECT_NE(usage.find("settings:  " + SettingsFile() + "\n"), std::string::npos);
        EXPECT_NE(usage.find("file list: " + ListFile() + "\n"), std::string::npos);
    } else {
        EXPECT_EQ(out.str(), c.out);
    }
    EXPECT_EQ(err.str(), std::string(c.err) == "NO DISPLAY" ? std::string(NoDisplayLine) + "\n" : c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, TerminalAnswers,
    ::testing::Values(
        TerminalCase{"HelpWithoutADisplay", {"--help"}, {}, 0, "USAGE", ""},
        TerminalCase{"HelpWithADisplay", {"--help"}, X11, 0, "USAGE", ""},
        TerminalCase{"VersionWithoutADisplay", {"--version"}, {}, 0, "quillo 96.7.10\n", ""},
        TerminalCase{"HelpWithMoreIsAFileName", {"--help", "fox"}, X11, std::nullopt, "", ""},
        TerminalCase{"HelpAsSearchString", {"notes.txt", "--help"}, X11, std::nullopt, "", ""},
        TerminalCase{"VersionAsSearchString", {"notes.txt", "--version", "/GO"}, X11, std::nullopt, "", ""},
        TerminalCase{"OtherCaseIsAFileName", {"--HELP"}, X11, std::nullopt, "", ""},
        TerminalCase{"ShortFormIsAFileName", {"-h"}, X11, std::nullopt, "", ""},
        TerminalCase{"NoDisplay", {}, {}, 1, "", "NO DISPLAY"},
        TerminalCase{"NoDisplayWithASearch", {"notes.txt", "fox", "/GO"}, {}, 1, "", "NO DISPLAY"},
        TerminalCase{"EmptyDisplays", {}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 1, "", "NO DISPLAY"},
        TerminalCase{"EmptyPlatform", {}, {{"QT_QPA_PLATFORM", ""}}, 1, "", "NO DISPLAY"},
        TerminalCase{"X11", {}, X11, std::nullopt, "", ""},
        TerminalCase{"Wayland", {}, {{"WAYLAND_DISPLAY", "wayland-0"}}, std::nullopt, "", ""},
        TerminalCase{"PlatformChosen", {"notes.txt"}, {{"QT_QPA_PLATFORM", "offscreen"}}, std::nullopt, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
