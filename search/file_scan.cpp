#include "file_scan.h"

#include "number_format.h"
#include "run_flags.h"

#include <charconv>

namespace quillo {
namespace {

void SetCountPanel(RunState& run, ScanHost& host, int panel, std::string_view label, std::int64_t count)
{
    run.Text.assign(label);
    AppendWholeNumber(run.Text, count);
    host.SetPanelText(panel, run.Text);
}

// Panels 2 and 1, in that order.
void ShowProgress(RunState& run, ScanHost& host, std::int64_t blocks)
{
    run.Text.assign(FilePositionText);
    AppendBlocksAsKb(run.Text, blocks);
    run.Text += KbText;
    host.SetPanelText(2, run.Text);
    SetCountPanel(run, host, 1, LinesFoundText, run.LinesFound);
}

void EndOfFileRefresh(RunState& run, ScanHost& host)
{
    if (run.Options.LineCount)
        SetCountPanel(run, host, 0, LinesSearchedText, run.LinesSearched);
    if (run.Options.Progress)
        ShowProgress(run, host, run.SizeBlocks);
    if (run.Options.WordCount)
        SetCountPanel(run, host, 3, WordsFoundText, run.WordsFound);
}

void AppendFound(RunState& run, ScanHost& host, std::string_view line, std::int64_t lineNumber)
{
    if (!run.Options.Numbering) {
        host.AppendLine(line);
        return;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, lineNumber).ptr;
    run.Text.assign(digits, end);
    run.Text += " : ";
    run.Text += line;
    host.AppendLine(run.Text);
}

// Occurrences of pattern 1 in the line, overlapping ones included; at least one.
std::int64_t CountWords(const PreparedPattern& pattern, std::string_view line)
{
    std::int64_t words = 0;
    std::size_t at = pattern.Find(line);
    do {
        if (at != std::string_view::npos)
            line.remove_prefix(at + 1);
        ++words;
        at = pattern.Find(line);
    } while (at != std::string_view::npos);
    return words;
}

// Whether a line holds a pattern, learnt from the line's parts in order:
// each part is searched, and so is the seam with the part before (its last
// length - 1 bytes are kept for that).
class PartsSearch {
public:
    explicit PartsSearch(const PreparedPattern& pattern) : pattern_(pattern) {}
    void Start()
    {
        found_ = false;
        tail_.clear();
    }
    void Add(std::string_view part)
    {
        const std::size_t keep = pattern_.Text().empty() ? 0 : pattern_.Text().size() - 1;
        if (found_)
            return;
        if (!tail_.empty()) {
            seam_.assign(tail_);
            seam_.append(part.substr(0, keep));
            found_ = pattern_.Find(seam_) != std::string_view::npos;
        }
        found_ = found_ || pattern_.Find(part) != std::string_view::npos;
        if (part.size() >= keep) {
            tail_.assign(part.substr(part.size() - keep));
        } else {
            tail_.append(part);
            tail_.erase(0, tail_.size() - std::min(tail_.size(), keep));
        }
    }
    bool Found() const noexcept { return found_; }

private:
    const PreparedPattern& pattern_;
    bool found_ = false;
    std::string tail_, seam_;
};

// How a predicate combines the presence of the two patterns; Other for a
// predicate that needs the whole line.
enum class Combine { Single, And, Or, Xor, AndNot, Other };

Combine CombineOf(Predicate match)
{
    if (match == &MatchSingle)
        return Combine::Single;
    if (match == &MatchAnd)
        return Combine::And;
    if (match == &MatchOr)
        return Combine::Or;
    if (match == &MatchXor)
        return Combine::Xor;
    if (match == &MatchAndNot)
        return Combine::AndNot;
    return Combine::Other;
}

bool Combined(Combine how, bool one, bool two)
{
    switch (how) {
    case Combine::Single: return one;
    case Combine::And: return one && two;
    case Combine::Or: return one || two;
    case Combine::Xor: return one != two;
    default: return one && !two;
    }
}

// A line that goes on past the read buffer: events run at every fill inside
// it, and Cancel abandons it there. Past KeepBytes its parts are searched as
// they pass and then dropped, so a line of gigabytes takes no memory; a found
// line is then read again whole from the file.
class LongLine final : public LineWatch {
public:
    static constexpr std::size_t KeepBytes = ReadBufferSize;

    LongLine(RunState& run, ScanHost& host)
        : host_(host), how_(CombineOf(run.Match)), one_(run.Pattern1), two_(run.Pattern2)
    {
    }
    // Before each line, at the reader's offset.
    void Start(std::uint64_t offset)
    {
        start_ = offset;
        dropped_ = 0;
        cancelled_ = false;
    }
    bool Cancelled() const noexcept { return cancelled_; }
    // Limit on what the reader keeps of a line: none where the predicate
    // needs the whole line.
    std::size_t Keep() const noexcept { return how_ == Combine::Other ? SIZE_MAX : KeepBytes; }

    bool Refilled() override
    {
        host_.ProcessEvents();
        cancelled_ = CancelRequested;
        return !cancelled_;
    }
    void Drop(std::string_view part) override
    {
        if (dropped_ == 0) {
            one_.Start();
            two_.Start();
        }
        one_.Add(part);
        two_.Add(part);
        dropped_ += part.size();
    }

    // Whether the line read was dropped in part; then rest is what the
    // reader returned.
    bool Dropped() const noexcept { return dropped_ > 0; }
    bool Matches(std::string_view rest)
    {
        one_.Add(rest);
        two_.Add(rest);
        return Combined(how_, one_.Found(), two_.Found());
    }
    // The whole line, read again from the file.
    std::string_view Whole(const TextReader& reader, std::size_t restSize)
    {
        reader.ReadAt(start_, static_cast<std::size_t>(dropped_) + restSize, whole_);
        return whole_;
    }
    // Frees a long line's copy.
    void Release() { std::string().swap(whole_); }

private:
    ScanHost& host_;
    Combine how_;
    PartsSearch one_, two_;
    std::uint64_t start_ = 0;
    std::uint64_t dropped_ = 0;
    bool cancelled_ = false;
    std::string whole_;
};

} // namespace

void TenLineRefresh(RunState& run, ScanHost& host, const TextReader& reader)
{
    run.PositionBlocks = reader.BlockPosition();
    host.SetApplicationTitle(run.Caption);
    if (run.Options.LineCount)
        SetCountPanel(run, host, 0, LinesSearchedText, run.LinesSearched);
    if (run.Options.Progress)
        ShowProgress(run, host, run.PositionBlocks);
    if (run.Options.WordCount)
        SetCountPanel(run, host, 3, WordsFoundText, run.WordsFound);
    host.ProcessEvents();
}

void ScanFile(RunState& run, ScanHost& host, const std::string& fileName)
{
    TextReader& reader = run.Reader;
    reader.OpenText(fileName);
    // Closed however the scan ends, a refused output line included.
    struct CloseOnExit {
        TextReader& reader;
        ~CloseOnExit() { reader.CloseText(); }
    } closer{reader};
    run.SizeBlocks = reader.BlockSize();
    const std::int64_t lineBase = run.LinesSearched;
    int refresh = 0;
    const SearchOptions& options = run.Options;
    const bool countWords = options.WordCount && run.String2Empty && !options.Reverse;

    // The patterns search each fill of the read buffer ahead of the lines cut
    // from it; they forget it when the scan ends, however it ends.
    struct SearchAheadEnd {
        RunState& run;
        ~SearchAheadEnd()
        {
            run.Pattern1.SearchAhead({});
            run.Pattern2.SearchAhead({});
        }
    } searchAheadEnd{run};
    std::uint64_t fill = reader.FillNumber();

    // Without "Case Sensitive Searching" the patterns compare each line as
    // its folded copy themselves, so the line as read is also the compare line.
    const bool unixEnds = run.ReadLine == &ReadUnixLine;
    LongLine longLine(run, host);
    while (!reader.AtEnd() && !CancelRequested) {
        longLine.Start(reader.Offset());
        std::string_view line = reader.ReadWatchedLine(run.RawLine, unixEnds, longLine, longLine.Keep());
        if (longLine.Cancelled())
            break; // the line cut short is neither counted nor reported
        const bool dropped = longLine.Dropped();
        if (reader.FillNumber() != fill) {
            fill = reader.FillNumber();
            run.Pattern1.SearchAhead(reader.FillData());
            run.Pattern2.SearchAhead(reader.FillData());
        }
        ++run.LinesSearched;
        if (++refresh == 10) {
            refresh = 0;
            TenLineRefresh(run, host, reader);
        }
        if (dropped) {
            if (longLine.Matches(line) == options.Reverse)
                continue;
            line = longLine.Whole(reader, line.size());
        } else if (run.Match(run.Pattern1, run.Pattern2, line) == options.Reverse) {
            continue;
        }
        ++run.LinesFound;
        AppendFound(run, host, line, run.LinesSearched - lineBase);
        if (options.OneInstance)
            break;
        if (countWords)
            run.WordsFound += CountWords(run.Pattern1, line);
        if (dropped)
            longLine.Release();
    }
    reader.CloseText();
    EndOfFileRefresh(run, host);
}

} // namespace quillo
