#include "search/failure.h"
#include "search/match/match_highlight.h"
#include "search/run_flags.h"
#include "search/search_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <map>

namespace quillo::test {
namespace {

using Strings = std::vector<std::string>;

int OpenDescriptors()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir))
            ++count;
        ::closedir(dir);
    }
    return count;
}

class SearchRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CancelRequested = true; // a run must clear it
        SearchRunning = false;
        host.Settings.String1 = "fox";
    }
    std::string File(const std::string& name, const std::string& bytes) { return dir.Write(name, bytes); }
    void ExpectIdle()
    {
        EXPECT_TRUE(host.SearchButton);
        EXPECT_TRUE(host.SearchMenu);
        EXPECT_TRUE(host.Drop);
        EXPECT_TRUE(host.Save);
        EXPECT_FALSE(host.Cancel);
        EXPECT_TRUE(host.MainPage);
        EXPECT_FALSE(host.BusyCursor);
        EXPECT_EQ(host.Title, "Quillo");
        EXPECT_EQ(host.Caption, "Quillo");
        EXPECT_FALSE(SearchRunning);
    }

    TempDir dir;
    RecordingHost host;
};

TEST_F(SearchRunTest, LocksRunsAndUnlocksInOrder)
{
    const std::string path = File("a.txt", "the fox\r\nno\r\n");
    host.Files = {path};
    bool runningSeen = false;
    host.OnEvents = [&](int) { runningSeen = SearchRunning && !CancelRequested; };
    SearchRun(host);
    EXPECT_TRUE(runningSeen);
    const Strings expected = {
        "BusyCursor", "CmdSearch-", "mSearch-", "Drop-", "Cancel+", "Save-", "MainPage-",
        "RunHeader", "FileHeader=" + path, "Caption=Searching " + path,
        "Beep", "PendingEvents",
        "CmdSearch+", "mSearch+", "Drop+", "Save+", "Cancel-", "ClearSaveName", "Title=Quillo", "Caption=Quillo",
        "MainPage+", "RestoreCursor",
    };
    EXPECT_EQ(host.Events, expected);
    EXPECT_EQ(Strings(host.PanelWrites.begin(), host.PanelWrites.begin() + 4),
              (Strings{"0=Lines Searched = None", "1=Lines Found = None", "2=File Position 0 (KB)",
                       "3=Words Found = None"}));
    ExpectIdle();
}

TEST_F(SearchRunTest, HeaderLinesAndFoundLinesForEveryFile)
{
    const std::string a = File("a.txt", "The Fox\r\nthe dog\r\nfox and dog\r\n");
    const std::string b = File("b.txt", "dog only\r\n");
    host.Files = {a, b, (dir.Path() / "missing.txt").string()};
    host.Settings.String2 = "Dog";
    host.Settings.Operator = 1;
    SearchRun(host);
    const Strings expected = {
        "*****  New Search  *****",
        "***** File: \"" + a + "\"- Search Pattern=fox or Dog *****",
        "The Fox", "the dog", "fox and dog",
        "***** File: \"" + b + "\"- Search Pattern=fox or Dog *****",
        "dog only",
        "***** File: \"" + host.Files[2] + "\"- Search Pattern=fox or Dog *****",
    };
    EXPECT_EQ(host.Lines(), expected);
    EXPECT_EQ(host.Panels[0], "Lines Searched: 4");
    EXPECT_EQ(host.Panels[1], "Lines Found: 4");
    EXPECT_EQ(host.Panels[2], "File Position: -0 Kb"); // the last file could not be opened
    EXPECT_EQ(host.Panels[3], "Words Found = None");
}

// Each file header reaches the host with its entry as given, whatever the
// entry's text; a host that does not record headers gets them as lines.
struct HeaderCase {
    const char* name;
    std::vector<std::string> entries; // "@" stands for the test's folder
    bool recorded;                    // the host records headers
};

void PrintTo(const HeaderCase& c, std::ostream* os)
{
    *os << c.name;
}

class HeaderEntries : public SearchRunTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderEntries, ReachTheHostWithTheirRows)
{
    const HeaderCase& c = GetParam();
    // Hands the headers on as plain lines, as a host without a record does.
    struct PlainHost : RecordingHost {
        void AppendRunHeader(std::string_view line) override { RunHost::AppendRunHeader(line); }
        void AppendFileHeader(std::string_view line, std::string_view entry) override
        {
            RunHost::AppendFileHeader(line, entry);
        }
    } plain;
    RecordingHost& h = c.recorded ? host : plain;
    h.Settings.String1 = "fox";
    for (std::string entry : c.entries) {
        if (entry.starts_with('@'))
            entry = dir.Path().string() + entry.substr(1);
        if (entry.find("missing") == std::string::npos && entry.starts_with('/'))
            File(entry.substr(entry.rfind('/') + 1), "fox 1\r\nno\r\nfox 2\r\n");
        h.Files.push_back(entry);
    }
    SearchRun(h);

    const Strings lines = h.Lines();
    // Each file's header line, searched below the previous one.
    std::vector<std::pair<std::size_t, std::string>> expected;
    auto from = lines.begin();
    for (const std::string& entry : h.Files) {
        from = std::find(from, lines.end(), "***** File: \"" + entry + "\"- Search Pattern=fox *****");
        ASSERT_NE(from, lines.end()) << "no header for " << entry;
        expected.emplace_back(static_cast<std::size_t>(from - lines.begin()), entry);
        ++from;
    }
    EXPECT_EQ(lines[0], "*****  New Search  *****");
    if (c.recorded) {
        EXPECT_EQ(h.FileHeaders, expected);
        EXPECT_EQ(std::count(h.Events.begin(), h.Events.end(), "RunHeader"), 1);
    } else {
        EXPECT_TRUE(h.FileHeaders.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    SearchRun, HeaderEntries,
    ::testing::Values(HeaderCase{"OneFile", {"@/a.txt"}, true},
                      HeaderCase{"ThreeFilesWithFoundLinesBetween", {"@/a.txt", "@/b.txt", "@/c.txt"}, true},
                      HeaderCase{"MissingFile", {"@/missing.txt", "@/a.txt"}, true},
                      HeaderCase{"NameHoldingTheHeaderText", {"@/x\"- Search Pattern=y *****"}, true},
                      HeaderCase{"RelativeEntryAsGiven", {"missing/rel.txt"}, true},
                      HeaderCase{"HostWithoutARecordGetsLines", {"@/a.txt", "@/b.txt"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// "Only files with found lines": a file's header comes just before its first
// found line, and a file without found lines adds nothing; counters and
// panels stay as without the option.
struct FoundOnlyCase {
    const char* name;
    std::string string2;
    int op;
    bool oneInstance;
    bool reverse;
    std::vector<std::string> expected; // "A", "B", "C": the file's header
};

void PrintTo(const FoundOnlyCase& c, std::ostream* os)
{
    *os << c.name;
}

class OnlyFoundFiles : public SearchRunTest, public ::testing::WithParamInterface<FoundOnlyCase> {};

TEST_P(OnlyFoundFiles, HeadersOnlyForFilesWithFoundLines)
{
    const FoundOnlyCase& c = GetParam();
    const std::map<std::string, std::string> files = {
        {"A", File("a.txt", "cat\r\nfox\r\nfox dog\r\n")},
        {"B", File("b.txt", "cat\r\nbird\r\n")},
        {"C", File("c.txt", "dog\r\nfox\r\n")},
    };
    const auto run = [&](bool onlyFound) {
        RecordingHost h;
        h.Settings.String1 = "fox";
        h.Settings.String2 = c.string2;
        h.Settings.Operator = c.op;
        h.Settings.Options.OneInstance = c.oneInstance;
        h.Settings.Options.Reverse = c.reverse;
        h.Settings.Options.Numbering = true;
        h.Settings.Options.OnlyFoundFiles = onlyFound;
        h.Files = {files.at("A"), files.at("B"), (dir.Path() / "missing.txt").string(), files.at("C")};
        SearchRun(h);
        return h;
    };
    const RecordingHost all = run(false);
    const RecordingHost found = run(true);

    Strings expected = {"*****  New Search  *****"};
    for (const std::string& line : c.expected) {
        if (files.count(line))
            expected.push_back("***** File: \"" + files.at(line) + "\"- Search Pattern=fox" +
                               ChooseOperator(c.string2, c.op)->description + " *****");
        else
            expected.push_back(line);
    }
    EXPECT_EQ(found.Lines(), expected);
    // The same found lines, the same numbers and panels as without the option.
    Strings allFound, foundFound;
    for (std::size_t i = 0; i < all.Output.Count(); ++i)
        if (all.Output.LineNumber(i) != 0)
            allFound.emplace_back(all.Output.Line(i));
    for (std::size_t i = 0; i < found.Output.Count(); ++i)
        if (found.Output.LineNumber(i) != 0)
            foundFound.emplace_back(found.Output.Line(i));
    EXPECT_EQ(foundFound, allFound);
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(found.Panels[p], all.Panels[p]) << p;
    EXPECT_EQ(found.PanelWrites, all.PanelWrites);
    // The recorded headers name the files whose header lines are there.
    for (const auto& [row, entry] : found.FileHeaders)
        EXPECT_NE(found.Lines().at(row).find(entry), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    SearchRun, OnlyFoundFiles,
    ::testing::Values(
        FoundOnlyCase{"SingleString", "", 0, false, false, {"A", "2 : fox", "3 : fox dog", "C", "2 : fox"}},
        FoundOnlyCase{"And", "dog", 0, false, false, {"A", "3 : fox dog"}},
        FoundOnlyCase{"Or", "dog", 1, false, false, {"A", "2 : fox", "3 : fox dog", "C", "1 : dog", "2 : fox"}},
        FoundOnlyCase{"Xor", "dog", 2, false, false, {"A", "2 : fox", "C", "1 : dog", "2 : fox"}},
        FoundOnlyCase{"AndNot", "dog", 3, false, false, {"A", "2 : fox", "C", "2 : fox"}},
        FoundOnlyCase{"OneOccurrenceOnly", "", 0, true, false, {"A", "2 : fox", "C", "2 : fox"}},
        FoundOnlyCase{"ReverseLogic", "", 0, false, true, {"A", "1 : cat", "B", "1 : cat", "2 : bird", "C", "1 : dog"}},
        FoundOnlyCase{"NothingFound", "zebra", 0, false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchRunTest, RunGivesItsHighlighterBeforeItsHeader)
{
    struct Host : RecordingHost {
        void BeginRunLines(std::shared_ptr<const MatchHighlighter> h, bool numbered) override
        {
            Events.push_back(std::string("Lines") + (h ? "+" : "-") + (numbered ? "numbered" : ""));
            highlighter = std::move(h);
        }
        std::shared_ptr<const MatchHighlighter> highlighter;
    };
    for (const bool reverse : {false, true}) {
        Host h;
        h.Settings.String1 = "Fox";
        h.Settings.Options.Reverse = reverse;
        h.Settings.Options.Numbering = true;
        h.Files = {File("a.txt", "fox\r\n")};
        SearchRun(h);
        const auto header = std::find(h.Events.begin(), h.Events.end(), "RunHeader");
        ASSERT_NE(header, h.Events.begin());
        EXPECT_EQ(*std::prev(header), reverse ? "Lines-numbered" : "Lines+numbered");
        if (!reverse) {
            EXPECT_EQ(h.highlighter->Ranges("a fox"), (std::vector<ByteRange>{{2, 5}}));
        }
    }
}

TEST_F(SearchRunTest, EmptyString2UsesStringOneAloneWhateverTheOperator)
{
    host.Files = {File("a.txt", "fox\r\ndog\r\n")};
    host.Settings.Operator = 2;
    SearchRun(host);
    SearchRun(host);
    const Strings expected = {
        "*****  New Search  *****", "***** File: \"" + host.Files[0] + "\"- Search Pattern=fox *****", "fox",
        "*****  New Search  *****", "***** File: \"" + host.Files[0] + "\"- Search Pattern=fox *****", "fox",
    };
    EXPECT_EQ(host.Lines(), expected);
}

TEST_F(SearchRunTest, EmptyFileListIsRefusedWithAMessage)
{
    SearchRun(host);
    EXPECT_EQ(host.Events, (Strings{"BusyCursor", "Error:Enter the filename first", "RestoreCursor"}));
    EXPECT_TRUE(host.Lines().empty());
    EXPECT_TRUE(host.PanelWrites.empty());
}

// With no operator selected the run used to end the program; it now refuses
// with a message and changes nothing.
TEST_F(SearchRunTest, MissingOperatorIsRefusedWithAMessage)
{
    host.Files = {File("a.txt", "fox\r\n")};
    host.Settings.Operator = -1;
    host.Settings.String2 = "dog";
    SearchRun(host);
    EXPECT_EQ(host.Events, (Strings{"BusyCursor", "Error:Select an operator first", "RestoreCursor"}));
    EXPECT_TRUE(host.Lines().empty());

    host.Settings.String2.clear(); // string 1 alone needs no operator
    SearchRun(host);
    EXPECT_EQ(host.Lines().back(), "fox");
}

// An expression that does not compile stops the run before its cursor, lock,
// header or panels; string 2 is checked as well as string 1.
TEST_F(SearchRunTest, InvalidExpressionIsRefusedBeforeAnythingElse)
{
    host.Files = {File("a.txt", "fox\r\n")};
    host.Settings.Options.Regex = true;
    for (const auto& [s1, s2] : {std::pair<std::string, std::string>{"(fox", ""}, {"fox", "a**"}}) {
        host.Events.clear();
        host.Settings.String1 = s1;
        host.Settings.String2 = s2;
        host.Settings.Options.WholeWords = !s2.empty();
        SearchRun(host);
        ASSERT_EQ(host.Events.size(), 1u) << s1 << " " << s2;
        EXPECT_EQ(host.Events[0].rfind("Error:Invalid regular expression: ", 0), 0u) << host.Events[0];
        EXPECT_NE(host.Events[0].find(s2.empty() ? "(fox" : "**"), std::string::npos) << host.Events[0];
        EXPECT_TRUE(host.Lines().empty());
        EXPECT_TRUE(host.PanelWrites.empty());
    }
    // The literal text is no expression: it is searched as typed.
    host.Settings.Options.Regex = false;
    host.Settings.String1 = "(fox";
    host.Settings.String2.clear();
    SearchRun(host);
    EXPECT_EQ(host.Lines().size(), 2u);
}

struct RuleRun {
    const char* name;
    std::string string1, string2;
    int op;
    bool regex, words, reverse;
    Strings found;
    std::string words_;
};

class RulesInARun : public ::testing::TestWithParam<RuleRun> {};

// The rules reach the scan through the settings; the header keeps the strings
// as typed; word counting counts the rule's occurrences.
TEST_P(RulesInARun, FoundLinesHeaderAndWordCount)
{
    const RuleRun& r = GetParam();
    TempDir dir;
    RecordingHost host;
    // Ten lines, so that the ten-line refresh shows the words found.
    host.Files = {dir.Write("a.txt", "the fox\r\nfoxes and dogs\r\nFOX, fox; dog\r\nxfox\r\n.\r\n.\r\n.\r\n.\r\n.\r\n.\r\n")};
    host.Settings.String1 = r.string1;
    host.Settings.String2 = r.string2;
    host.Settings.Operator = r.op;
    host.Settings.Options.Regex = r.regex;
    host.Settings.Options.WholeWords = r.words;
    host.Settings.Options.Reverse = r.reverse;
    host.Settings.Options.WordCount = true;
    SearchRun(host);
    const Strings lines = host.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "***** File: \"" + host.Files[0] + "\"- Search Pattern=" + r.string1 +
                            (r.string2.empty() ? "" : " and " + r.string2) + " *****");
    EXPECT_EQ(Strings(lines.begin() + 2, lines.end()), r.found);
    const auto words = std::find_if(host.PanelWrites.rbegin(), host.PanelWrites.rend(),
                                    [](const std::string& w) { return w.rfind("3=", 0) == 0; });
    ASSERT_NE(words, host.PanelWrites.rend());
    EXPECT_EQ(*words, "3=Words Found: " + r.words_);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RulesInARun,
    ::testing::Values(
        RuleRun{"RegexAlone", "fox(es)?$", "", 0, true, false, false, {"the fox", "xfox"}, "2"},
        RuleRun{"WholeWordsLiteral", "fox", "", 0, false, true, false, {"the fox", "FOX, fox; dog"}, "3"},
        RuleRun{"RegexAndWholeWords", "f.x", "dog", 0, true, true, false, {"FOX, fox; dog"}, "0"},
        RuleRun{"ReverseLogic", "^x|es", "", 0, true, false, true,
                {"the fox", "FOX, fox; dog", ".", ".", ".", ".", ".", "."}, "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchRunTest, FilesAddedOrRemovedDuringTheRunAreSeenAtTheNextFile)
{
    const std::string many = File("many.txt", std::string(30, 'x') + "\r\n" + [] {
        std::string s;
        for (int i = 0; i < 20; ++i)
            s += "fox\r\n";
        return s;
    }());
    const std::string added = File("added.txt", "fox added\r\n");
    host.Files = {many};
    host.OnEvents = [&](int call) {
        if (call == 1)
            host.Files.push_back(added);
    };
    SearchRun(host);
    EXPECT_EQ(host.Lines().back(), "fox added");

    host.Files = {many, many, many};
    host.Output.Clear();
    host.Refreshes = 0;
    host.OnEvents = [&](int call) {
        if (call == 1)
            host.Files.clear();
    };
    SearchRun(host);
    EXPECT_EQ(host.Lines().size(), 2u + 20u); // one header, the first file's lines
}

TEST_F(SearchRunTest, CancelDuringTheSecondOfThreeFiles)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "fox " + std::to_string(i) + "\r\n";
    host.Files = {File("1.txt", "fox\r\n"), File("2.txt", text), File("3.txt", "fox\r\n")};
    host.Settings.Options.PromptSave = true;
    host.OnEvents = [&](int call) {
        if (call == 1)
            CancelRequested = true;
    };
    SearchRun(host);
    const Strings lines = host.Lines();
    ASSERT_EQ(lines.size(), 1u + 2u + 1u + 10u);
    EXPECT_EQ(lines.back(), "fox 9");
    for (const auto& line : lines)
        EXPECT_EQ(line.find("3.txt"), std::string::npos);
    EXPECT_NE(std::find(host.Events.begin(), host.Events.end(), "Beep"), host.Events.end());
    EXPECT_EQ(host.Events.back(), "RestoreCursor");
    EXPECT_EQ(host.Events[host.Events.size() - 2], "AskSave"); // the save prompt comes after a cancel too
    ExpectIdle();
}

// A failure in mid-run leaves the window idle and the file closed, then propagates.
TEST_F(SearchRunTest, RefusedLineLeavesTheIdleStateBehind)
{
    RecordingHost small;
    small.Output = OutputLineStore(400);
    small.Settings.String1 = "fox";
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "fox fox fox fox\r\n";
    small.Files = {File("a.txt", text), File("b.txt", text)};
    const int descriptors = OpenDescriptors();
    try {
        SearchRun(small);
        FAIL() << "the full list was not reported";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "Unable to insert a line");
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_TRUE(small.SearchButton && small.SearchMenu && small.Drop && small.Save && small.MainPage);
    EXPECT_FALSE(small.Cancel || small.BusyCursor || SearchRunning);
    EXPECT_EQ(small.Title, "Quillo");
    EXPECT_EQ(small.Caption, "Quillo");
    // The failure is shown with the title it arose under, kept before the
    // unlock sets the idle one.
    const auto kept = std::find(small.Events.begin(), small.Events.end(), "KeepTitle=Searching " + small.Files[0]);
    ASSERT_NE(kept, small.Events.end());
    EXPECT_NE(std::find(kept, small.Events.end(), "Title=Quillo"), small.Events.end());
    for (const auto& line : small.Lines())
        EXPECT_EQ(line.find("b.txt"), std::string::npos);
}

TEST_F(SearchRunTest, PromptForSaveWritesTheWholeList)
{
    host.Files = {File("a.txt", "fox\r\n")};
    host.Settings.Options.PromptSave = true;
    host.Settings.Options.Numbering = true;
    host.SaveAnswer = (dir.Path() / "out.txt").string();
    SearchRun(host);
    EXPECT_EQ(ReadAll(host.SaveAnswer), "*****  New Search  *****\r\n***** File: \"" + host.Files[0] +
                                            "\"- Search Pattern=fox *****\r\n1 : fox\r\n");

    host.SaveAnswer.clear(); // dialog cancelled: nothing written
    SearchRun(host);
    EXPECT_EQ(host.SavedTo.size(), 1u);

    host.SaveAnswer = (dir.Path() / "no-folder" / "out.txt").string();
    EXPECT_THROW(SearchRun(host), Failure);
    ExpectIdle();
}

TEST_F(SearchRunTest, UnixOptionPicksTheUnixReader)
{
    host.Files = {File("a.txt", "fox\ndog\nfox\n")};
    host.Settings.Options.UnixFile = true;
    SearchRun(host);
    EXPECT_EQ(host.Lines().size(), 2u + 2u);
    host.Settings.Options.UnixFile = false;
    SearchRun(host);
    EXPECT_EQ(host.Lines().back(), "fox\ndog\nfox\n");
}

} // namespace
} // namespace quillo::test
