// A whole search run over fuzzed files, through the recording host of the
// engine tests, against the run worked out from the reading rules
// (line_model.h) and plain string searches.
//
// Input: control bytes, then after each PartSeparator search string 1,
// search string 2 and the bytes of up to four files. Control byte 0 holds
// the options, one bit each: case sensitive, line counting, progress, word
// counting, reverse logic, numbering, one occurrence, Unix mode. Byte 1 picks
// the operator (none, "And", "Or", "Xor", "& Not"); byte 2, when not 0, the
// event processing at which Cancel is clicked; byte 3 adds to the file list a
// missing file (bit 0), an empty entry (bit 1), the first file again
// (bit 2), turns on the prompt for a save (bit 3), which is cancelled, and
// has the host take refreshes only as the scan paces them (bit 4), as the
// window does; Cancel is then never clicked. Byte 4, when not 0, is the bound
// up to which the marks are checked. Byte 5, bit 0, instead reads search
// string 1 as a regular expression (bit 1: ignoring case off, bit 2: whole
// words) against every line of the other parts, with no run: the literal
// searched before the expression never turns away a line the expression
// matches.
//
// Properties:
// - the output holds the run header, a header for each file searched and
//   exactly the lines the predicate picks, numbered when asked;
// - every panel text, in order, is what the counters, the block figures and
//   the options give: the counters equal the lines searched and found;
// - events run after every tenth line of a file and once at the end; a
//   click on Cancel ends the run after the file it came in;
// - with paced refreshes the output and the last text of each panel are the
//   same, and there are no more refreshes than tenth lines;
// - the window is unlocked afterwards whatever happened;
// - every found line keeps a line number, header lines none, and the marks
//   of the run's highlighter cover exactly the bytes inside occurrences of
//   either string (none under reverse logic), at any bound.
#include "fuzz/fuzz_support.h"
#include "fuzz/line_model.h"
#include "search/match/expression.h"
#include "search/match/match_highlight.h"
#include "search/output/number_format.h"
#include "search/match/predicates.h"
#include "search/run_flags.h"
#include "search/search_run.h"
#include "search/test_support.h"

#include <algorithm>

namespace {

using namespace quillo;
using namespace quillo::fuzz;

std::string Folded(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool Contains(std::string_view line, std::string_view pattern)
{
    return !pattern.empty() && line.find(pattern) != std::string_view::npos;
}

// Occurrences of pattern in line, overlapping ones too; at least one.
std::int64_t Occurrences(std::string_view line, std::string_view pattern)
{
    std::int64_t count = 0;
    for (std::size_t at = line.find(pattern); at != std::string_view::npos; at = line.find(pattern, at + 1))
        ++count;
    return std::max<std::int64_t>(count, 1);
}

// The bytes of line inside an occurrence of a pattern, folded unless
// case-sensitive, up to bound.
std::vector<bool> Marked(std::string_view line, const std::vector<std::string>& patterns, bool caseSensitive,
                         std::size_t bound)
{
    const std::string hay = caseSensitive ? std::string(line) : Folded(line);
    std::vector<bool> marked(std::min(bound, line.size()), false);
    for (const std::string& text : patterns) {
        const std::string pattern = caseSensitive ? text : Folded(text);
        if (pattern.empty())
            continue;
        for (std::size_t at = hay.find(pattern); at != std::string::npos && at < marked.size();
             at = hay.find(pattern, at + 1))
            for (std::size_t i = at; i < std::min(at + pattern.size(), marked.size()); ++i)
                marked[i] = true;
    }
    return marked;
}

// A line as the output list holds it: up to its first zero byte.
std::string Stored(const std::string& line) { return line.substr(0, line.find('\0')); }

std::string Number(std::int64_t value) { return FormatNumber(static_cast<long double>(value)); }

std::string Kb(std::int64_t blocks)
{
    return "File Position: " + FormatNumber(static_cast<long double>(blocks) * 10.0L / 81.0L) + " Kb";
}

struct Entry {
    std::string name;
    std::string bytes; // what the file holds
    bool readable;     // an existing file (not a missing one, not the empty name)
};

// What the host must have seen.
struct Expected {
    std::vector<std::string> output;
    std::vector<std::string> panelWrites;
    int refreshes = 0;
};

class ExpectedRun {
public:
    ExpectedRun(const SearchSettings& settings, int cancelAt) : settings_(settings), cancelAt_(cancelAt)
    {
        const bool folded = !settings.Options.CaseSensitive;
        p1_ = folded ? Folded(settings.String1) : settings.String1;
        p2_ = folded ? Folded(settings.String2) : settings.String2;
        static const char* const words[] = {" and ", " or ", " xor ", " and not "};
        if (!settings.String2.empty())
            description_ = words[settings.Operator] + settings.String2;
    }

    Expected Run(const std::vector<Entry>& entries)
    {
        const SearchOptions& o = settings_.Options;
        Panel(0, "Lines Searched = None");
        Panel(1, "Lines Found = None");
        Panel(2, "File Position 0 (KB)");
        Panel(3, "Words Found = None");
        out_.output.emplace_back(NewSearchLine);
        for (const Entry& entry : entries) {
            if (cancelled_)
                break;
            out_.output.push_back(Stored("***** File: \"" + entry.name + "\"- Search Pattern=" + settings_.String1 +
                                         description_ + " *****"));
            Scan(entry);
            if (o.LineCount)
                Panel(0, "Lines Searched: " + Number(searched_));
            if (o.Progress) {
                Panel(2, Kb(entry.readable ? static_cast<std::int64_t>(entry.bytes.size() / 128) : -1));
                Panel(1, "Lines Found: " + Number(found_));
            }
            if (o.WordCount)
                Panel(3, "Words Found: " + Number(words_));
        }
        Events(); // once more after the last file
        return out_;
    }

private:
    void Panel(int panel, const std::string& text) { out_.panelWrites.push_back(std::to_string(panel) + "=" + text); }
    void Events()
    {
        if (++out_.refreshes == cancelAt_)
            cancelled_ = true;
    }

    bool Picks(std::string_view line) const
    {
        const bool one = Contains(line, p1_), two = Contains(line, p2_);
        if (settings_.String2.empty())
            return one;
        switch (settings_.Operator) {
        case 0: return one && two;
        case 1: return one || two;
        case 2: return one != two;
        default: return one && !two;
        }
    }

    void Scan(const Entry& entry)
    {
        const SearchOptions& o = settings_.Options;
        const bool countWords = o.WordCount && settings_.String2.empty() && !o.Reverse;
        const std::vector<ModelLine> lines = entry.readable ? ModelLines(entry.bytes, o.UnixFile)
                                                            : std::vector<ModelLine>{};
        for (std::size_t i = 0; i < lines.size() && !cancelled_; ++i) {
            const std::string compare = o.CaseSensitive ? lines[i].text : Folded(lines[i].text);
            ++searched_;
            if ((i + 1) % 10 == 0) {
                if (o.LineCount)
                    Panel(0, "Lines Searched: " + Number(searched_));
                if (o.Progress) {
                    Panel(2, Kb(ModelPosition(lines[i].examined, entry.bytes.size(), 128)));
                    Panel(1, "Lines Found: " + Number(found_));
                }
                if (o.WordCount)
                    Panel(3, "Words Found: " + Number(words_));
                Events();
            }
            if (Picks(compare) == o.Reverse)
                continue;
            ++found_;
            const std::string shown = o.Numbering ? std::to_string(i + 1) + " : " + lines[i].text : lines[i].text;
            out_.output.push_back(Stored(shown));
            if (o.OneInstance)
                break;
            if (countWords)
                words_ += Occurrences(compare, p1_);
        }
    }

    SearchSettings settings_;
    int cancelAt_;
    std::string p1_, p2_, description_;
    Expected out_;
    std::int64_t searched_ = 0, found_ = 0, words_ = 0;
    bool cancelled_ = false;
};

} // namespace

// String 1 as a regular expression against the lines of the parts: the
// literal searched first never turns a line away that the expression matches,
// and the counts and ranges agree with the answer.
void CheckExpression(const std::string& pattern, const std::vector<std::string>& texts, unsigned bits)
{
    const PatternRule rule{(bits & 1) == 0, true, (bits & 2) != 0};
    std::optional<PreparedPattern> prepared;
    try {
        prepared.emplace(pattern, rule);
    } catch (const InvalidExpression& e) {
        Require(std::string(e.what()).size() > 0, "a refused expression says why");
        return;
    }
    std::optional<Expression> alone;
    if (!pattern.empty())
        alone.emplace(pattern, rule.IgnoreCase, rule.WholeWords);
    for (const std::string& text : texts) {
        std::size_t from = 0;
        while (from <= text.size()) {
            std::size_t end = text.find('\n', from);
            if (end == std::string::npos)
                end = text.size();
            const std::string_view line(text.data() + from, end - from);
            const bool in = prepared->In(line);
            Require(in == (alone && alone->In(line)), "the prefilter agrees with the expression");
            Require(in == (prepared->Find(line) != std::string_view::npos), "Find agrees with In");
            if (in)
                Require(prepared->Count(line) >= 1, "a matched line counts at least one");
            if (alone) {
                std::int64_t starts = 0; // each match start, found by searching
                for (std::size_t at = 0; (at = alone->FindFrom(line, at)) != std::string_view::npos; ++at)
                    ++starts;
                Require(alone->Count(line) == starts, "the count is the number of match starts");
            }
            for (const ByteRange& r : prepared->MatchRanges(line))
                Require(r.begin < r.end && r.end <= line.size(), "ranges lie in the line");
            from = end + 1;
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto parts = SplitParts(data, size);
    if (parts.size() < 3)
        return 0;
    const auto byte = [&](std::size_t i) { return i < parts[0].size() ? static_cast<unsigned char>(parts[0][i]) : 0; };

    if (byte(5) & 1) {
        CheckExpression(std::string(parts[1]), std::vector<std::string>(parts.begin() + 2, parts.end()),
                        byte(5) >> 1);
        return 0;
    }

    test::RecordingHost host;
    SearchSettings& settings = host.Settings;
    settings.String1 = parts[1];
    settings.String2 = parts[2];
    settings.Operator = byte(1) % 5 - 1;
    SearchOptions& o = settings.Options;
    const unsigned bits = byte(0);
    o.CaseSensitive = bits & 1, o.LineCount = bits & 2, o.Progress = bits & 4, o.WordCount = bits & 8;
    o.Reverse = bits & 16, o.Numbering = bits & 32, o.OneInstance = bits & 64, o.UnixFile = bits & 128;
    o.PromptSave = byte(3) & 8;
    const bool paced = byte(3) & 16;
    host.EveryRefresh = !paced;
    const int cancelAt = paced ? 0 : byte(2);
    host.OnEvents = [cancelAt](int call) {
        if (call == cancelAt)
            CancelRequested = true; // what a click on Cancel does
    };

    std::vector<Entry> entries;
    for (std::size_t i = 3; i < parts.size() && i < 7; ++i) {
        const std::string name = "file" + std::to_string(i - 3);
        entries.push_back({WriteFile(name, parts[i]), std::string(parts[i]), true});
    }
    if (byte(3) & 1)
        entries.push_back({FuzzFolder() + "/missing", "", false});
    if (byte(3) & 2)
        entries.push_back({"", "", false});
    if ((byte(3) & 4) && !entries.empty())
        entries.push_back(entries.front());
    for (const Entry& entry : entries)
        host.Files.push_back(entry.name);

    CancelRequested = false;
    SearchRun(host);

    Require(!host.BusyCursor, "the cursor is restored");
    if (entries.empty()) {
        RequireEqual(host.Messages, {std::string(MsgEnterFilename)}, "an empty list asks for a file name");
        Require(host.Output.Empty(), "an empty list runs nothing");
        return 0;
    }
    if (!settings.String2.empty() && settings.Operator < 0) {
        RequireEqual(host.Messages, {std::string(MsgSelectOperator)}, "string 2 without an operator asks for one");
        Require(host.Output.Empty(), "a run without an operator runs nothing");
        return 0;
    }
    Require(host.Messages.empty(), "a run shows no message");

    const Expected expected = ExpectedRun(settings, cancelAt).Run(entries);
    RequireEqual(host.Lines(), expected.output, "the output is the headers and the lines the predicate picks");
    if (paced) {
        std::string last[4];
        for (const std::string& write : expected.panelWrites)
            last[write[0] - '0'] = write.substr(2);
        for (int panel = 0; panel < 4; ++panel)
            RequireEqual(host.Panels[panel], last[panel], "a panel's last text is the same with paced refreshes");
        Require(host.Refreshes <= expected.refreshes, "paced refreshes are no more than the tenth lines");
    } else {
        RequireEqual(host.PanelWrites, expected.panelWrites, "the panels show the counters and figures in order");
        RequireEqual<long long>(host.Refreshes, expected.refreshes, "events run every ten lines and at the end");
    }
    Require(host.SearchButton && host.SearchMenu && host.Drop && !host.Cancel && host.Save && host.MainPage,
            "the window is unlocked after the run");
    Require(host.Title == IdleTitle && host.Caption == IdleTitle, "the title and caption are the idle ones");
    Require(!SearchRunning, "the run is over");
    const auto highlighter = MakeHighlighter(settings);
    Require(!highlighter == o.Reverse, "only a reverse-logic run has no highlighter");
    const std::size_t bound = byte(4) ? byte(4) : MatchHighlighter::NoLimit;
    std::size_t foundLines = 0;
    for (std::size_t i = 0; i < host.Output.Count(); ++i) {
        const std::uint32_t number = host.Output.LineNumber(i);
        const bool header = i == 0 || std::any_of(host.FileHeaders.begin(), host.FileHeaders.end(),
                                                  [i](const auto& h) { return h.first == i; });
        Require(header == (number == 0), "found lines have a line number, headers none");
        if (header || !highlighter)
            continue;
        ++foundLines;
        std::string_view line = host.Output.Line(i);
        if (o.Numbering) {
            const std::string prefix = std::to_string(number) + " : ";
            Require(line.starts_with(prefix), "a numbered line starts with its kept number");
            line.remove_prefix(prefix.size());
        }
        const auto ranges = highlighter->Ranges(line, bound);
        std::vector<bool> got(std::min(bound, line.size()), false);
        for (std::size_t r = 0; r < ranges.size(); ++r) {
            Require(ranges[r].begin < ranges[r].end && ranges[r].end <= got.size(), "marks lie in the bound");
            Require(r == 0 || ranges[r - 1].end < ranges[r].begin, "marks are ascending and apart");
            for (std::size_t b = ranges[r].begin; b < ranges[r].end; ++b)
                got[b] = true;
        }
        Require(got == Marked(line, {settings.String1, settings.String2}, o.CaseSensitive, bound),
                "the marks cover exactly the occurrences of both strings");
    }
    Require(o.Reverse || foundLines == static_cast<std::size_t>(host.Output.Count() - host.FileHeaders.size() - 1),
            "every line but the headers was checked");
    const bool asked = std::find(host.Events.begin(), host.Events.end(), "AskSave") != host.Events.end();
    RequireEqual<long long>(asked, o.PromptSave, "the save prompt follows its option");
    Require(host.SavedTo.empty(), "a cancelled save prompt saves nothing");
    return 0;
}
