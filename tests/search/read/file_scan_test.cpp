#include "search/read/file_scan.h"
#include "search/run_flags.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

namespace quillo::test {
namespace {

using Strings = std::vector<std::string>;

// A scan of one or more files outside a full run, with the run's state at hand.
struct Scan {
    RecordingHost host;
    RunState run;

    explicit Scan(const std::string& pattern1, const std::string& pattern2 = "", Predicate match = &MatchSingle)
    {
        CancelRequested = false;
        run.Pattern1 = PreparedPattern(pattern1, true);
        run.Pattern2 = PreparedPattern(pattern2, true);
        run.String2Empty = pattern2.empty();
        run.Match = match;
        run.Caption = "Searching f";
    }
    void File(const std::string& path) { ScanFile(run, host, path); }
};

std::string NumberedLines(int count, std::size_t width = 0)
{
    std::string text;
    for (int i = 1; i <= count; ++i) {
        std::string line = "line " + std::to_string(i);
        line.resize(std::max(width, line.size()), '.');
        text += line + "\r\n";
    }
    return text;
}

// The end-of-file refresh shows the words found in the whole file.
TEST(ScanFile, NineLinesGiveOnlyTheEndOfFileRefresh)
{
    TempDir dir;
    Scan scan("line");
    scan.run.Options.WordCount = true;
    scan.File(dir.Write("nine.txt", NumberedLines(9)));
    EXPECT_EQ(scan.host.Refreshes, 0);
    EXPECT_EQ(scan.host.PanelWrites, (Strings{"0=Lines Searched: 9", "2=File Position: 0 Kb", "1=Lines Found: 9",
                                              "3=Words Found: 9"}));
}

// The refresh comes after the 10th and 20th line, samples the fetched
// position, copies the caption to the title and then lets events run.
TEST(ScanFile, TenLineRefreshCadenceAndPanelOrder)
{
    TempDir dir;
    Scan scan("line 1");
    scan.run.Options.WordCount = true;
    scan.host.OnEvents = [&](int) { scan.host.PanelWrites.push_back("events"); };
    scan.File(dir.Write("f.txt", NumberedLines(25, 98))); // 100-byte lines
    EXPECT_EQ(scan.host.Refreshes, 2);
    EXPECT_EQ(scan.host.Title, "Searching f");
    const Strings expected = {
        "0=Lines Searched: 10", "2=File Position: 1 Kb", "1=Lines Found: 1", "3=Words Found: 1", "events",
        "0=Lines Searched: 20", "2=File Position: 2 Kb", "1=Lines Found: 11", "3=Words Found: 11", "events",
        "0=Lines Searched: 25", "2=File Position: 2 Kb", "1=Lines Found: 11", "3=Words Found: 11",
    };
    EXPECT_EQ(scan.host.PanelWrites, expected);
}

// A host that does not take every refresh (the window) gets the run's first
// one, then one whenever the coarse clock ticked, and before each
// end-of-file refresh the last one left out, each as it was at its line.
TEST(ScanFile, PacedRefreshesKeepTheFirstAndTheLastBeforeTheEnd)
{
    TempDir dir;
    const std::string path = dir.Write("f.txt", NumberedLines(35, 98)); // 100-byte lines
    RunState run;
    run.Pattern1 = PreparedPattern("line 1", true);
    run.Caption = "Searching f";
    RecordingHost host;
    host.EveryRefresh = false;
    CancelRequested = false;
    ScanFile(run, host, path);
    ASSERT_GE(host.Refreshes, 2); // the one after line 20 only when the clock ticked just then
    ASSERT_LE(host.Refreshes, 3);
    const Strings& w = host.PanelWrites;
    ASSERT_EQ(w.size(), 3u * host.Refreshes + 3u);
    EXPECT_EQ(Strings(w.begin(), w.begin() + 3),
              (Strings{"0=Lines Searched: 10", "2=File Position: 1 Kb", "1=Lines Found: 1"}));
    EXPECT_EQ(Strings(w.end() - 6, w.end()),
              (Strings{"0=Lines Searched: 30", "2=File Position: 3 Kb", "1=Lines Found: 11", //
                       "0=Lines Searched: 35", "2=File Position: 3 Kb", "1=Lines Found: 11"}));
    EXPECT_EQ(host.Title, "Searching f");
}

TEST(ScanFile, PanelsFollowTheirOptions)
{
    TempDir dir;
    Scan scan("line");
    scan.run.Options.LineCount = false;
    scan.run.Options.Progress = false;
    scan.File(dir.Write("f.txt", NumberedLines(12)));
    EXPECT_TRUE(scan.host.PanelWrites.empty());
    EXPECT_EQ(scan.host.Refreshes, 1);
}

TEST(ScanFile, NumbersRestartForEachFileWhileTheCountGoesOn)
{
    TempDir dir;
    Scan scan("line");
    scan.run.Options.Numbering = true;
    const std::string five = dir.Write("five.txt", NumberedLines(5));
    scan.File(five);
    scan.File(five);
    EXPECT_EQ(scan.host.Lines(), (Strings{"1 : line 1", "2 : line 2", "3 : line 3", "4 : line 4", "5 : line 5",
                                          "1 : line 1", "2 : line 2", "3 : line 3", "4 : line 4", "5 : line 5"}));
    EXPECT_EQ(scan.run.LinesSearched, 10);
    EXPECT_EQ(scan.host.Panels[0], "Lines Searched: 10");
    EXPECT_EQ(scan.host.FoundNumbers, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5}));
}

// Each found line keeps its 1-based number within its file, whether or not
// it is shown; line numbers go on across ten-line refreshes and start again
// with every file.
struct NumberCase {
    const char* name;
    bool numbering, reverse, oneInstance, unix;
    std::vector<std::uint32_t> expected; // both files, in output order
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << c.name;
}

class FoundLineNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FoundLineNumbers, KeptPerFoundLineAcrossFiles)
{
    const NumberCase& c = GetParam();
    TempDir dir;
    Scan scan("hit");
    scan.run.Options.Numbering = c.numbering;
    scan.run.Options.Reverse = c.reverse;
    scan.run.Options.OneInstance = c.oneInstance;
    if (c.unix)
        scan.run.ReadLine = &ReadUnixLine;
    const char* end = c.unix ? "\n" : "\r\n";
    std::string first, second;
    for (int i = 1; i <= 12; ++i)
        first += std::string(i == 2 || i == 11 ? "hit" : "miss") + end;
    second = std::string("hit") + end + "miss" + end + "hit";
    scan.File(dir.Write("a.txt", first));
    scan.File(dir.Write("b.txt", second));
    EXPECT_EQ(scan.host.LineNumbers(), c.expected);
    if (c.numbering) {
        const Strings lines = scan.host.Lines();
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i].substr(0, lines[i].find(' ')), std::to_string(c.expected[i])) << lines[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FoundLineNumbers,
    ::testing::Values(NumberCase{"Plain", false, false, false, false, {2, 11, 1, 3}},
                      NumberCase{"Numbered", true, false, false, false, {2, 11, 1, 3}},
                      NumberCase{"UnixLines", false, false, false, true, {2, 11, 1, 3}},
                      NumberCase{"OneOccurrenceOnly", false, false, true, false, {2, 1}},
                      NumberCase{"ReverseLogic", true, true, false, false, {1, 3, 4, 5, 6, 7, 8, 9, 10, 12, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanFile, CaseFoldingFindsAsciiCasesOnly)
{
    TempDir dir;
    Scan scan("fox");
    scan.File(dir.Write("f.txt", "FOX\r\nFox\r\nfox\r\nf o x\r\n\xc9t\xe9\r\n"));
    EXPECT_EQ(scan.host.Lines(), (Strings{"FOX", "Fox", "fox"}));

    Scan accented("\xe9");
    accented.File(dir.Write("g.txt", "\xc9\r\n\xe9\r\n"));
    EXPECT_EQ(accented.host.Lines(), (Strings{"\xe9"}));

    Scan sensitive("fox");
    sensitive.run.Pattern1 = PreparedPattern("fox");
    sensitive.run.Options.CaseSensitive = true;
    sensitive.File(dir.Write("h.txt", "FOX\r\nfox\r\n"));
    EXPECT_EQ(sensitive.host.Lines(), (Strings{"fox"}));
}

TEST(ScanFile, ReverseLogicReportsTheOtherLinesAndCountsNoWords)
{
    TempDir dir;
    Scan scan("fox");
    scan.run.Options.Reverse = true;
    scan.run.Options.WordCount = true;
    scan.File(dir.Write("f.txt", "fox\r\ndog\r\n\r\nfox fox\r\ncat"));
    EXPECT_EQ(scan.host.Lines(), (Strings{"dog", "", "cat"}));
    EXPECT_EQ(scan.run.WordsFound, 0);

    Scan empty("");
    empty.run.Options.Reverse = true;
    empty.File(dir.Write("g.txt", "a\r\n\r\nb"));
    EXPECT_EQ(empty.host.Lines(), (Strings{"a", "", "b"}));
}

TEST(ScanFile, OneOccurrenceStopsEachFileAtItsFirstFoundLine)
{
    TempDir dir;
    Scan scan("hit");
    scan.run.Options.OneInstance = true;
    const std::string path = dir.Write("f.txt", "miss\r\nhit 1\r\nhit 2\r\nmiss\r\n");
    scan.File(path);
    scan.File(path);
    EXPECT_EQ(scan.host.Lines(), (Strings{"hit 1", "hit 1"}));
    EXPECT_EQ(scan.run.LinesSearched, 4);
}

struct WordCase {
    std::string pattern1, pattern2, line;
    std::int64_t words;
};

TEST(ScanFile, WordCountingCountsOverlappingOccurrences)
{
    const WordCase cases[] = {
        {"ab", "", "abab ab", 3},
        {"aa", "", "aaa", 2},
        {"Fox", "", "fox FOX fOx", 3},
        {"ab", "zz", "abab ab", 0}, // only for string 1 alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TempDir dir;
        Scan scan(c.pattern1, c.pattern2, c.pattern2.empty() ? &MatchSingle : &MatchOr);
        scan.run.Options.WordCount = true;
        scan.File(dir.Write("f.txt", c.line + "\r\n"));
        EXPECT_EQ(scan.run.WordsFound, c.words);
        EXPECT_EQ(scan.host.Panels[3], "Words Found: " + std::to_string(c.words)); // one line: no ten-line refresh
    }
}

TEST(ScanFile, UnopenableAndEmptyFilesShowTheirPosition)
{
    TempDir dir;
    Scan missing("x");
    missing.File((dir.Path() / "missing.txt").string());
    EXPECT_EQ(missing.host.Panels[2], "File Position: -0 Kb");
    EXPECT_EQ(missing.host.Panels[1], "Lines Found: 0");

    Scan empty("x");
    empty.File(dir.Write("empty.txt", ""));
    EXPECT_EQ(empty.host.Panels[2], "File Position: 0 Kb");
    EXPECT_TRUE(empty.host.Lines().empty());
}

TEST(ScanFile, CancelDuringEventsStopsAfterTheCurrentLine)
{
    TempDir dir;
    Scan scan("line");
    scan.host.OnEvents = [](int) { CancelRequested = true; };
    scan.File(dir.Write("f.txt", NumberedLines(30)));
    EXPECT_EQ(scan.host.Lines().size(), 10u); // the 10th line is still tested
    EXPECT_EQ(scan.run.LinesSearched, 10);
    EXPECT_EQ(scan.host.PanelWrites.back(), "1=Lines Found: 10"); // the end-of-file refresh still comes
    CancelRequested = false;
}

TEST(ScanFile, UnixModeSplitsLfLines)
{
    TempDir dir;
    Scan scan("b");
    scan.run.ReadLine = &ReadUnixLine;
    scan.File(dir.Write("f.txt", "a\nb\nab\n"));
    EXPECT_EQ(scan.host.Lines(), (Strings{"b", "ab"}));
}

// A line longer than the read buffer is searched as it passes; what the scan
// finds in it and reports of it is what the whole line gives.
struct LongLineCase {
    const char* name;
    std::string pattern1, pattern2;
    Predicate match;
    bool reverse;
    std::vector<std::pair<std::size_t, std::string>> inserts; // (offset, text) in a line of dots
};

void PrintTo(const LongLineCase& c, std::ostream* os) { *os << c.name; }

class LongLines : public ::testing::TestWithParam<LongLineCase> {};

TEST_P(LongLines, AreFoundAsWholeLines)
{
    const LongLineCase& c = GetParam();
    constexpr std::size_t Size = 5 * ReadBufferSize + 1000;
    std::string line(Size, '.');
    for (const auto& [at, text] : c.inserts)
        line.replace(at, text.size(), text);
    const std::string bytes = "first fox\r\n" + line + "\r\nlast\r\n";
    const auto holds = [](const std::string& hay, const std::string& needle) {
        return !needle.empty() && FoldCase(hay).find(FoldCase(needle)) != std::string::npos;
    };
    Strings expected;
    for (const std::string& l : {std::string("first fox"), line, std::string("last")}) {
        const bool one = holds(l, c.pattern1), two = holds(l, c.pattern2);
        const bool picked = c.match == &MatchSingle ? one
                            : c.match == &MatchAnd  ? one && two
                            : c.match == &MatchOr   ? one || two
                            : c.match == &MatchXor  ? one != two
                                                    : one && !two;
        if (picked != c.reverse)
            expected.push_back(l.substr(0, l.find('\0')));
    }
    TempDir dir;
    Scan scan(c.pattern1, c.pattern2, c.match);
    scan.run.Options.Reverse = c.reverse;
    scan.run.Options.WordCount = true;
    scan.File(dir.Write("f.txt", bytes));
    EXPECT_EQ(scan.run.LinesSearched, 3);
    EXPECT_TRUE(scan.host.Lines() == expected) << scan.host.Lines().size() << " lines found";
    EXPECT_GE(scan.host.Refreshes, 5); // events at every fill inside the line
    if (c.match == &MatchSingle && !c.reverse) {
        std::int64_t words = 0;
        for (const std::string& l : expected)
            for (std::size_t at = FoldCase(l).find(FoldCase(c.pattern1)); at != std::string::npos;
                 at = FoldCase(l).find(FoldCase(c.pattern1), at + 1))
                ++words;
        EXPECT_EQ(scan.run.WordsFound, words);
    }
}

constexpr std::size_t Fill = ReadBufferSize;

INSTANTIATE_TEST_SUITE_P(
    Cases, LongLines,
    ::testing::Values(
        LongLineCase{"NotFound", "fox", "", &MatchSingle, false, {}},
        LongLineCase{"FoundAtItsStart", "fox", "", &MatchSingle, false, {{0, "Fox"}}},
        LongLineCase{"FoundAtItsEnd", "fox", "", &MatchSingle, false, {{5 * Fill + 997, "fOX"}}},
        LongLineCase{"FoundAcrossAFill", "fox", "", &MatchSingle, false, {{Fill - 13, "fox"}, {3 * Fill - 2, "fox"}}},
        LongLineCase{"FoundAcrossEveryPart", "quick brown", "", &MatchSingle, false,
                     {{Fill - 11, "quick brown"}, {2 * Fill - 5, "quick brown"}, {4 * Fill - 1, "quick brown"}}},
        LongLineCase{"HalfAtAFillEdgeIsNotFound", "fox", "", &MatchSingle, false, {{Fill - 13, "fo"}}},
        LongLineCase{"AndWithTheStringsFarApart", "fox", "dog", &MatchAnd, false, {{10, "fox"}, {4 * Fill, "dog"}}},
        LongLineCase{"AndWithOneString", "fox", "dog", &MatchAnd, false, {{10, "fox"}}},
        LongLineCase{"OrWithTheSecond", "fox", "dog", &MatchOr, false, {{3 * Fill, "dog"}}},
        LongLineCase{"XorWithBoth", "fox", "dog", &MatchXor, false, {{10, "fox"}, {3 * Fill, "dog"}}},
        LongLineCase{"AndNotWithTheSecondLate", "fox", "dog", &MatchAndNot, false, {{10, "fox"}, {5 * Fill, "dog"}}},
        LongLineCase{"ReverseReportsTheLineWhole", "fox", "", &MatchSingle, true, {{7, std::string("a\0b", 3)}}},
        LongLineCase{"ReverseWithTheStringLate", "fox", "", &MatchSingle, true, {{5 * Fill, "fox"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Resident memory of this process, in KiB: now, and at its peak since the
// peak was last reset (or since the start, where it cannot be reset).
std::int64_t StatusKib(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(key + ":")) {
            std::istringstream fields(line.substr(key.size() + 1));
            std::int64_t kib = -1;
            fields >> kib;
            return kib;
        }
    return -1;
}

bool ResetPeakMemory() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

// A sparse file of gigabytes of zeros: one line without an end in sight,
// then a short line that holds the string.
class HugeLine : public ::testing::Test {
protected:
    static constexpr std::int64_t Zeros = std::int64_t{9} << 29; // 4.5 GiB: offsets past 32 bits
    void SetUp() override
    {
        path = dir.Write("huge.txt", "");
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const std::string tail = "\r\nthe Fox\r\n";
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), Zeros), static_cast<ssize_t>(tail.size()));
        ::close(fd);
    }
    TempDir dir;
    std::string path;
};

TEST_F(HugeLine, TakesNoMoreMemoryThanMatchingAndFindsTheLineAfterIt)
{
    Scan scan("fox");
    scan.run.Options.Numbering = true;
    const std::int64_t before = StatusKib("VmRSS");
    const bool peakReset = ResetPeakMemory();
    scan.File(path);
    const std::int64_t peak = StatusKib("VmHWM");
    EXPECT_EQ(scan.host.Lines(), (Strings{"2 : the Fox"}));
    EXPECT_EQ(scan.run.LinesSearched, 2);
    EXPECT_GE(scan.host.Refreshes, Zeros / static_cast<std::int64_t>(ReadBufferSize)); // events at every fill
    if (peakReset) {
        EXPECT_LT(peak - before, 16 * 1024) << "peak " << peak << " KiB, " << before << " KiB before the scan";
    }
}

TEST_F(HugeLine, CancelEndsTheScanInsideTheLine)
{
    Scan scan("fox");
    std::uint64_t fillAtCancel = 0;
    scan.host.OnEvents = [&](int call) {
        if (call == 100) {
            CancelRequested = true;
            fillAtCancel = scan.run.Reader.FillNumber();
        }
    };
    scan.File(path);
    EXPECT_EQ(scan.host.Refreshes, 100);
    EXPECT_EQ(scan.run.Reader.FillNumber(), fillAtCancel); // nothing read after the click
    EXPECT_TRUE(scan.host.Lines().empty());
    EXPECT_EQ(scan.run.LinesSearched, 0); // the line cut short is not counted
    EXPECT_EQ(scan.host.Panels[0], "Lines Searched: 0");
    CancelRequested = false;
}

// The same predicates through a function the scan does not know: it then
// reads every line alone with the line reader, as it always did.
bool LineByLineSingle(const PreparedPattern& a, const PreparedPattern& b, std::string_view l) noexcept { return MatchSingle(a, b, l); }
bool LineByLineAnd(const PreparedPattern& a, const PreparedPattern& b, std::string_view l) noexcept { return MatchAnd(a, b, l); }
bool LineByLineOr(const PreparedPattern& a, const PreparedPattern& b, std::string_view l) noexcept { return MatchOr(a, b, l); }
bool LineByLineXor(const PreparedPattern& a, const PreparedPattern& b, std::string_view l) noexcept { return MatchXor(a, b, l); }
bool LineByLineAndNot(const PreparedPattern& a, const PreparedPattern& b, std::string_view l) noexcept { return MatchAndNot(a, b, l); }

struct FillCase {
    const char* name;
    std::string pattern1, pattern2;
    Predicate fast, lineByLine;
    SearchOptions options;
    bool rare = false; // the strings seldom in the files
    bool regex = false, wholeWords = false;
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

SearchOptions With(void (*set)(SearchOptions&))
{
    SearchOptions o;
    o.WordCount = true;
    set(o);
    return o;
}

// Random files of three fills or less: lines of every kind of line end, some
// at block and fill edges, NUL, bytes above 127 and now and then a byte 26;
// the strings in any case, some across line ends.
std::string RandomScanFile(std::mt19937& random, const std::string& a, const std::string& b, bool rare)
{
    auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const std::size_t size = below(4) == 0 ? below(3000) : below(3 * ReadBufferSize + 500);
    static const std::string ends[] = {"\r\n", "\n", "\r", "\r\r\n", "\n\r\n", "\n\r"};
    const std::string words[] = {a, b, "x", "yz", " ", std::string(1, '\0'), "\xe9", "fo", "ox"};
    std::string bytes;
    while (bytes.size() < size) {
        for (std::size_t n = below(below(40) == 0 ? 400 : 12); n > 0; --n) {
            // Rare strings leave long runs of lines without them.
            std::string word = words[rare && below(300) ? 2 + below(std::size(words) - 2) : below(std::size(words))];
            for (char& ch : word)
                if (below(2) && ch >= 'a' && ch <= 'z')
                    ch = static_cast<char>(ch - 32);
            bytes += word;
        }
        bytes += ends[below(std::size(ends))];
    }
    bytes.resize(size);
    for (std::size_t edge = TextBlockSize; edge + 1 < size; edge += TextBlockSize)
        if (below(8) == 0 || edge % ReadBufferSize == 0) {
            bytes[edge - 1] = '\r';
            bytes[edge] = "\n\rx"[below(3)];
        }
    if (size && below(6) == 0)
        bytes[below(size)] = static_cast<char>(TextEndMarker);
    return bytes;
}

class WholeFillsAgainstLineByLine : public ::testing::TestWithParam<FillCase> {};

// The scan that searches whole fills gives what reading every line alone
// gives: the same output, every panel text in order (each ten-line refresh
// with its block position), the same events and counters.
TEST_P(WholeFillsAgainstLineByLine, SameOutputPanelsAndCounts)
{
    const FillCase& c = GetParam();
    std::mt19937 random(static_cast<unsigned>(std::hash<std::string>{}(c.name)));
    TempDir dir;
    for (int round = 0; round < 12; ++round) {
        const std::string bytes =
            RandomScanFile(random, c.pattern1.empty() ? "fox" : c.pattern1, c.pattern2, c.rare);
        const std::string path = dir.Write("f" + std::to_string(round) + ".txt", bytes);
        for (const bool unixMode : {false, true}) {
            SCOPED_TRACE("file " + std::to_string(round) + " of " + std::to_string(bytes.size()) + " bytes, " +
                         (unixMode ? "Unix" : "standard") + " mode");
            // What each refresh showed, and how many refreshes the first file had.
            struct Samples {
                Strings shown;
                std::size_t firstFile = 0;
            };
            auto scan = [&](Predicate match, bool everyRefresh, Samples* samples = nullptr) {
                auto s = std::make_unique<Scan>(c.pattern1, c.pattern2, match);
                s->host.EveryRefresh = everyRefresh;
                if (samples) {
                    s->host.OnEvents = [&host = s->host, samples](int) {
                        samples->shown.push_back(host.Panels[0] + "|" + host.Panels[1] + "|" + host.Panels[2] + "|" +
                                                 host.Panels[3] + "|" + host.Title);
                    };
                }
                s->run.Options = c.options;
                if (c.options.CaseSensitive) {
                    s->run.Pattern1 = PreparedPattern(c.pattern1);
                    s->run.Pattern2 = PreparedPattern(c.pattern2);
                }
                if (c.regex || c.wholeWords) {
                    const PatternRule rule{!c.options.CaseSensitive, c.regex, c.wholeWords};
                    s->run.Pattern1 = PreparedPattern(c.pattern1, rule);
                    s->run.Pattern2 = PreparedPattern(c.pattern2, rule);
                }
                if (unixMode)
                    s->run.ReadLine = &ReadUnixLine;
                s->File(path);
                if (samples)
                    samples->firstFile = samples->shown.size();
                s->File(path); // a second file: counters go on, numbers and refreshes start again
                return s;
            };
            Samples all, some;
            const auto fast = scan(c.fast, true, &all);
            const auto alone = scan(c.lineByLine, true);
            const auto paced = scan(c.fast, false, &some);
            ASSERT_EQ(fast->run.LinesSearched, alone->run.LinesSearched);
            ASSERT_EQ(fast->run.LinesFound, alone->run.LinesFound);
            ASSERT_EQ(fast->run.WordsFound, alone->run.WordsFound);
            ASSERT_EQ(fast->host.Refreshes, alone->host.Refreshes);
            ASSERT_TRUE(fast->host.Lines() == alone->host.Lines());
            ASSERT_EQ(fast->host.FoundNumbers, alone->host.FoundNumbers);
            ASSERT_EQ(fast->host.PanelWrites, alone->host.PanelWrites);

            // Paced refreshes: the same output and end-of-file panels; each
            // refresh one of the exact ones, in order, the run's first and
            // each file's last among them.
            ASSERT_TRUE(paced->host.Lines() == alone->host.Lines());
            ASSERT_EQ(paced->run.LinesSearched, alone->run.LinesSearched);
            ASSERT_EQ(paced->run.WordsFound, alone->run.WordsFound);
            ASSERT_EQ(std::vector<std::string>(paced->host.Panels, paced->host.Panels + 4),
                      std::vector<std::string>(alone->host.Panels, alone->host.Panels + 4));
            ASSERT_EQ(all.shown.empty(), some.shown.empty());
            if (!all.shown.empty()) {
                ASSERT_EQ(some.shown.front(), all.shown.front());
            }
            std::size_t at = 0;
            for (const std::string& sample : some.shown) {
                while (at < all.shown.size() && all.shown[at] != sample)
                    ++at;
                ASSERT_LT(at, all.shown.size()) << "a paced refresh no exact one showed: " << sample;
            }
            const bool firstHad = all.firstFile > 0, secondHad = all.shown.size() > all.firstFile;
            ASSERT_EQ(some.firstFile > 0, firstHad);
            if (firstHad) {
                ASSERT_EQ(some.shown[some.firstFile - 1], all.shown[all.firstFile - 1]);
            }
            if (secondHad) {
                ASSERT_EQ(some.shown.back(), all.shown.back());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, WholeFillsAgainstLineByLine,
    ::testing::Values(
        FillCase{"Single", "fox", "", &MatchSingle, &LineByLineSingle, With([](SearchOptions&) {})},
        FillCase{"SingleRare", "fox", "", &MatchSingle, &LineByLineSingle, With([](SearchOptions&) {}), true},
        FillCase{"SingleRareNumbered", "fox", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.Numbering = true; }), true},
        FillCase{"OrRare", "fox", "yz", &MatchOr, &LineByLineOr, With([](SearchOptions&) {}), true},
        FillCase{"ReverseRare", "fox", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.Reverse = true; }), true},
        FillCase{"SingleNumbered", "fox", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.Numbering = true; })},
        FillCase{"SingleCaseSensitive", "fox", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.CaseSensitive = true; })},
        FillCase{"SingleWithLf", "o\nx", "", &MatchSingle, &LineByLineSingle, With([](SearchOptions&) {})},
        FillCase{"SingleEmpty", "", "", &MatchSingle, &LineByLineSingle, With([](SearchOptions&) {})},
        FillCase{"OneOccurrence", "fox", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.OneInstance = true; })},
        FillCase{"Reverse", "fox", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.Reverse = true; o.Numbering = true; })},
        FillCase{"ReverseOneOccurrence", "fox", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.Reverse = true; o.OneInstance = true; })},
        FillCase{"ReverseEmpty", "", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.Reverse = true; })},
        FillCase{"And", "fox", "yz", &MatchAnd, &LineByLineAnd, With([](SearchOptions& o) { o.Numbering = true; })},
        FillCase{"Or", "fox", "yz", &MatchOr, &LineByLineOr, With([](SearchOptions&) {})},
        FillCase{"OrEmptyFirst", "", "yz", &MatchOr, &LineByLineOr, With([](SearchOptions&) {})},
        FillCase{"Xor", "fox", "yz", &MatchXor, &LineByLineXor, With([](SearchOptions&) {})},
        FillCase{"AndNot", "fox", "yz", &MatchAndNot, &LineByLineAndNot, With([](SearchOptions&) {})},
        FillCase{"AndNotReverse", "fox", "yz", &MatchAndNot, &LineByLineAndNot,
                 With([](SearchOptions& o) { o.Reverse = true; })},
        FillCase{"XorReverseNoPanels", "fox", "yz", &MatchXor, &LineByLineXor, With([](SearchOptions& o) {
                     o.Reverse = true;
                     o.LineCount = o.Progress = o.WordCount = false;
                 })},
        // Expressions and whole words search fills for their literal, never
        // for the expression itself, which could match across a line end.
        FillCase{"Expression", "fo.?x", "", &MatchSingle, &LineByLineSingle, With([](SearchOptions&) {}), false,
                 true},
        FillCase{"ExpressionAcrossLineEnds", "o[^a]?x", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions& o) { o.Numbering = true; }), false, true},
        FillCase{"ExpressionWithoutLiteral", "x|yz", "", &MatchSingle, &LineByLineSingle,
                 With([](SearchOptions&) {}), false, true},
        FillCase{"ExpressionAndReverse", "fo.?x", "y+z", &MatchAnd, &LineByLineAnd,
                 With([](SearchOptions& o) { o.Reverse = true; }), true, true},
        FillCase{"ExpressionOrCaseSensitive", "fo.?x", "Y+Z", &MatchOr, &LineByLineOr,
                 With([](SearchOptions& o) { o.CaseSensitive = true; }), false, true},
        FillCase{"WholeWords", "fox", "", &MatchSingle, &LineByLineSingle, With([](SearchOptions&) {}), false, false,
                 true},
        FillCase{"WholeWordsXor", "fox", "yz", &MatchXor, &LineByLineXor, With([](SearchOptions&) {}), true, false,
                 true},
        FillCase{"WholeWordExpressionsAndNot", "fo.?x", "yz", &MatchAndNot, &LineByLineAndNot,
                 With([](SearchOptions&) {}), false, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct ManyFillsCase {
    const char* name;
    bool unixMode;
    bool reverse;
    bool caseSensitive;
};

void PrintTo(const ManyFillsCase& c, std::ostream* os) { *os << c.name; }

class ScanOverManyFills : public ::testing::TestWithParam<ManyFillsCase> {};

// A file of many read buffer fills, lines and occurrences across their edges:
// the scan finds exactly the lines that hold the word, line by line.
TEST_P(ScanOverManyFills, FindsTheLinesThatHoldTheWord)
{
    const ManyFillsCase& c = GetParam();
    std::mt19937 random(23);
    // The word is rare, and the first fill holds none; the other words never
    // make it up together.
    const std::string fox[] = {"fox", "FOX", "Fox"};
    const std::string others[] = {"dog", " ", "\xe9", "cat", "fo ", " ox", "xf"};
    Strings lines;
    std::string bytes;
    while (bytes.size() < 8 * ReadBufferSize) {
        std::string line;
        for (std::size_t n = random() % (random() % 50 == 0 ? 3000 : 30); n > 0; --n) {
            const bool plain = bytes.size() < ReadBufferSize || random() % 1000;
            line += plain ? others[random() % std::size(others)] : fox[random() % std::size(fox)];
        }
        lines.push_back(line);
        bytes += line + (c.unixMode ? "\n" : "\r\n");
    }
    Strings expected;
    for (const std::string& line : lines) {
        const bool holds = c.caseSensitive ? line.find("fox") != std::string::npos
                                           : FoldCase(line).find("FOX") != std::string::npos;
        if (holds != c.reverse)
            expected.push_back(line);
    }
    TempDir dir;
    Scan scan("fox");
    if (c.caseSensitive)
        scan.run.Pattern1 = PreparedPattern("fox");
    scan.run.Options.CaseSensitive = c.caseSensitive;
    scan.run.Options.Reverse = c.reverse;
    if (c.unixMode)
        scan.run.ReadLine = &ReadUnixLine;
    scan.File(dir.Write("f.txt", bytes));
    EXPECT_EQ(scan.run.LinesSearched, static_cast<std::int64_t>(lines.size()));
    EXPECT_TRUE(scan.host.Lines() == expected) << scan.host.Lines().size() << " lines found, "
                                               << expected.size() << " expected";
}

INSTANTIATE_TEST_SUITE_P(Modes, ScanOverManyFills,
                         ::testing::Values(ManyFillsCase{"Standard", false, false, false},
                                           ManyFillsCase{"Unix", true, false, false},
                                           ManyFillsCase{"Reverse", false, true, false},
                                           ManyFillsCase{"CaseSensitive", false, false, true},
                                           ManyFillsCase{"UnixReverseCaseSensitive", true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
