#include "search/read/file_scan.h"

#include "search/read/line_ends.h"
#include "search/read/long_line.h"
#include "search/output/number_format.h"
#include "search/run_flags.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <time.h>

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

// The found line goes out with its number within the file, numbered or not;
// a number beyond 32 bits is kept as the largest one.
void AppendFound(RunState& run, ScanHost& host, std::string_view line, std::int64_t lineNumber)
{
    const auto kept = static_cast<std::uint32_t>(std::min<std::int64_t>(lineNumber, UINT32_MAX));
    if (!run.Options.Numbering) {
        host.AppendFoundLine(line, kept);
        return;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, lineNumber).ptr;
    run.Text.assign(digits, end);
    run.Text += " : ";
    run.Text += line;
    host.AppendFoundLine(run.Text, kept);
}

// Occurrences of pattern 1 in the line, overlapping ones included; at least one.
std::int64_t CountWords(const PreparedPattern& pattern, std::string_view line)
{
    return pattern.Count(line);
}

// What a ten-line refresh shows.
struct RefreshSample {
    std::int64_t searched = 0, found = 0, words = 0, position = 0;
};

void ShowRefresh(RunState& run, ScanHost& host, const RefreshSample& sample)
{
    run.PositionBlocks = sample.position;
    host.SetApplicationTitle(run.Caption);
    if (run.Options.LineCount)
        SetCountPanel(run, host, 0, LinesSearchedText, sample.searched);
    if (run.Options.Progress) {
        run.Text.assign(FilePositionText);
        AppendBlocksAsKb(run.Text, sample.position);
        run.Text += KbText;
        host.SetPanelText(2, run.Text);
        SetCountPanel(run, host, 1, LinesFoundText, sample.found);
    }
    if (run.Options.WordCount)
        SetCountPanel(run, host, 3, WordsFoundText, sample.words);
    host.ProcessEvents();
}

std::int64_t CoarseTick() noexcept
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The scan of one file.
class FileScan {
public:
    FileScan(RunState& run, ScanHost& host)
        : run_(run), host_(host), reader_(run.Reader), options_(run.Options), unixEnds_(run.ReadLine == &ReadUnixLine),
          countWords_(options_.WordCount && run.String2Empty && !options_.Reverse),
          everyRefresh_(host.TakesEveryRefresh()), how_(CombineOf(run.Match)), longLine_(run.Match, run.Pattern1, run.Pattern2, host)
    {
    }

    void Run(const std::string& fileName);

private:
    // After each tenth line of the file, with the reader just past it: makes
    // the refresh or keeps its sample for later. True when events ran.
    bool TenthLine()
    {
        const RefreshSample sample{run_.LinesSearched, run_.LinesFound, run_.WordsFound, reader_.BlockPosition()};
        if (!everyRefresh_) {
            const std::int64_t tick = CoarseTick();
            if (tick == run_.RefreshTick) {
                left_ = sample;
                leftOut_ = true;
                return false;
            }
            run_.RefreshTick = tick;
        }
        leftOut_ = false;
        ShowRefresh(run_, host_, sample);
        return true;
    }
    // A found line; false when the scan of the file ends with it.
    bool Found(std::string_view line)
    {
        ++run_.LinesFound;
        AppendFound(run_, host_, line, run_.LinesSearched - lineBase_);
        if (options_.OneInstance)
            return false;
        if (countWords_)
            run_.WordsFound += CountWords(run_.Pattern1, line);
        return true;
    }
    // One line read by the line reader; false when the scan of the file ends.
    bool ReadOneLine();

    // The lines that lie wholly in the reader's current fill, from its next
    // character on, searched at once; false when the scan of the file ends.
    bool SearchFill();
    // Line ends in the 64-byte window at w (a multiple of 64).
    std::uint64_t Ends(std::size_t w) const noexcept
    {
        const std::uint64_t cr = ByteBits(data_ + w, '\r');
        if (!unixEnds_)
            return cr;
        // An LF right after a CR belongs to the CR's line end.
        const std::uint64_t crBefore = cr << 1 | (w > 0 && data_[w - 1] == '\r' ? 1 : 0);
        return cr | (ByteBits(data_ + w, '\n') & ~crBefore);
    }
    // The line ends in [from, to) of the window at w.
    std::uint64_t EndsIn(std::size_t w, std::size_t from, std::size_t to) const noexcept
    {
        std::uint64_t ends = Ends(w);
        if (from > w)
            ends &= ~std::uint64_t{0} << (from - w);
        if (to < w + 64)
            ends &= to > w ? ~std::uint64_t{0} >> (64 - (to - w)) : 0;
        return ends;
    }
    std::size_t FirstEnd(std::size_t from, std::size_t to) const noexcept
    {
        for (std::size_t w = from & ~std::size_t{63}; w < to; w += 64)
            if (const std::uint64_t ends = EndsIn(w, from, to))
                return w + static_cast<std::size_t>(std::countr_zero(ends));
        return to;
    }
    // Where the line after the line end at e starts: a CR takes an LF after it.
    std::size_t AfterEnd(std::size_t e) const noexcept
    {
        return data_[e] == '\r' ? e + 1 + (data_[e + 1] == '\n') : e + 1;
    }
    // The last byte looked at for the line end at e: after a CR, the next one.
    std::size_t Looked(std::size_t e) const noexcept { return data_[e] == '\r' ? e + 1 : e; }
    void MoveReader(std::size_t e)
    {
        lastEnd_ = e;
        reader_.Skip(AfterEnd(e), Looked(e));
    }
    // Lines ending in [pos, to), none of them found; pos becomes the start
    // of the line after them. False when events ran and Cancel was clicked.
    bool SkipLines(std::size_t& pos, std::size_t to);
    // The line end in [from, to) that has after line ends behind it there
    // (there are more than after).
    std::size_t EndBefore(std::size_t from, std::size_t to, std::size_t after) const noexcept;
    // Lines ending in [pos, to), every one found (reverse logic, no string in them).
    bool FoundLines(std::size_t& pos, std::size_t to);
    // The line [start, e), tested with the predicate.
    bool TestedLine(std::size_t start, std::size_t e);
    // The first offset at or after pos, before to, where a string the
    // predicate needs present starts; to when there is none.
    std::size_t NextCandidate(std::size_t pos, std::size_t to);

    RunState& run_;
    ScanHost& host_;
    TextReader& reader_;
    const SearchOptions& options_;
    const bool unixEnds_;
    const bool countWords_;
    const bool everyRefresh_;
    const Combine how_;
    LongLine longLine_;
    std::int64_t lineBase_ = 0;
    int refresh_ = 0; // lines of the file since its last tenth line
    RefreshSample left_; // the last refresh left out, while leftOut_
    bool leftOut_ = false;

    // SearchFill's view of the fill.
    const unsigned char* data_ = nullptr;
    std::size_t lastEnd_ = 0;
    std::size_t candidate_[2] = {0, 0}; // next start of string 1 and 2 at or after the last search
    bool candidateKnown_[2] = {false, false};
    const PreparedPattern* prefilter_[2] = {nullptr, nullptr}; // what finds the candidate lines
    bool wholeFills_ = false;
    std::uint64_t fill_ = 0; // the fill the patterns search ahead in
};

bool FileScan::ReadOneLine()
{
    longLine_.Start(reader_.Offset());
    std::string_view line = reader_.ReadWatchedLine(run_.RawLine, unixEnds_, longLine_, longLine_.Keep());
    if (longLine_.Cancelled())
        return false; // the line cut short is neither counted nor reported
    const bool dropped = longLine_.Dropped();
    if (!wholeFills_ && reader_.FillNumber() != fill_) {
        fill_ = reader_.FillNumber();
        run_.Pattern1.SearchAhead(reader_.FillData());
        run_.Pattern2.SearchAhead(reader_.FillData());
    }
    ++run_.LinesSearched;
    const bool eventsRan = ++refresh_ == 10 && (refresh_ = 0, TenthLine());
    bool found;
    if (dropped) {
        found = longLine_.Matches(line) != options_.Reverse;
        if (found)
            line = longLine_.Whole(reader_, line.size());
    } else {
        found = run_.Match(run_.Pattern1, run_.Pattern2, line) != options_.Reverse;
    }
    if (found && !Found(line))
        return false;
    if (dropped)
        longLine_.Release();
    return !(eventsRan && CancelRequested);
}

bool FileScan::SkipLines(std::size_t& pos, std::size_t to)
{
    while (pos < to) {
        if (everyRefresh_ || CoarseTick() != run_.RefreshTick) {
            // A refresh is due at the next tenth line: walk to it.
            const int need = 10 - refresh_;
            int count = 0;
            std::size_t e = 0;
            for (std::size_t w = pos & ~std::size_t{63}; w < to && count < need; w += 64) {
                for (std::uint64_t ends = EndsIn(w, pos, to); ends && count < need; ends &= ends - 1) {
                    e = w + static_cast<std::size_t>(std::countr_zero(ends));
                    ++count;
                }
            }
            if (count == 0)
                return true;
            run_.LinesSearched += count;
            MoveReader(e);
            pos = AfterEnd(e);
            if (count < need) {
                refresh_ += count;
                return true;
            }
            refresh_ = 0;
            if (TenthLine() && CancelRequested)
                return false;
            continue;
        }
        // No refresh is due before the clock ticks: only the number of the
        // lines counts, and the sample of the last tenth line among them.
        const EndTally tally = CountLineEnds(data_, pos, to, unixEnds_);
        if (tally.count == 0)
            return true;
        const std::size_t after = (static_cast<std::size_t>(refresh_) + tally.count) % 10;
        if (static_cast<std::size_t>(refresh_) + tally.count >= 10) {
            MoveReader(EndBefore(pos, to, after));
            left_ = {run_.LinesSearched + static_cast<std::int64_t>(tally.count - after), run_.LinesFound,
                     run_.WordsFound, reader_.BlockPosition()};
            leftOut_ = true;
        }
        run_.LinesSearched += static_cast<std::int64_t>(tally.count);
        refresh_ = static_cast<int>(after);
        const std::size_t lastEnd = tally.lastKnown ? tally.last : EndBefore(pos, to, 0);
        MoveReader(lastEnd);
        pos = AfterEnd(lastEnd);
        return true;
    }
    return true;
}

std::size_t FileScan::EndBefore(std::size_t from, std::size_t to, std::size_t after) const noexcept
{
    for (std::size_t w = (to - 1) & ~std::size_t{63};; w -= 64) {
        std::uint64_t ends = EndsIn(w, from, to);
        const auto count = static_cast<std::size_t>(std::popcount(ends));
        if (count > after) {
            for (; after > 0; --after)
                ends &= ~(std::uint64_t{1} << (63 - std::countl_zero(ends)));
            return w + 63 - static_cast<std::size_t>(std::countl_zero(ends));
        }
        after -= count;
    }
}

bool FileScan::FoundLines(std::size_t& pos, std::size_t to)
{
    for (std::size_t w = pos & ~std::size_t{63}; w < to; w += 64) {
        for (std::uint64_t ends = EndsIn(w, pos, to); ends; ends &= ends - 1) {
            const std::size_t e = w + static_cast<std::size_t>(std::countr_zero(ends));
            const std::string_view line(reinterpret_cast<const char*>(data_) + pos, e - pos);
            ++run_.LinesSearched;
            bool eventsRan = false;
            if (++refresh_ == 10) {
                refresh_ = 0;
                MoveReader(e);
                eventsRan = TenthLine();
            }
            pos = AfterEnd(e);
            lastEnd_ = e;
            if (!Found(line) || (eventsRan && CancelRequested))
                return false;
        }
    }
    return true;
}

bool FileScan::TestedLine(std::size_t start, std::size_t e)
{
    const std::string_view line(reinterpret_cast<const char*>(data_) + start, e - start);
    ++run_.LinesSearched;
    lastEnd_ = e;
    bool eventsRan = false;
    if (++refresh_ == 10) {
        refresh_ = 0;
        MoveReader(e);
        eventsRan = TenthLine();
    }
    if (run_.Match(run_.Pattern1, run_.Pattern2, line) != options_.Reverse && !Found(line))
        return false;
    return !(eventsRan && CancelRequested);
}

std::size_t FileScan::NextCandidate(std::size_t pos, std::size_t to)
{
    const PreparedPattern* patterns[2] = {prefilter_[0], prefilter_[1]};
    std::size_t next = to;
    for (int i = 0; i < 2 && patterns[i]; ++i) {
        if (!candidateKnown_[i] || candidate_[i] < pos) {
            const std::size_t at =
                patterns[i]->Find({reinterpret_cast<const char*>(data_) + pos, to - pos});
            candidate_[i] = at == std::string_view::npos ? to : pos + at;
            candidateKnown_[i] = true;
        }
        next = std::min(next, candidate_[i]);
    }
    return next;
}

bool FileScan::SearchFill()
{
    data_ = reader_.FillBytes();
    candidateKnown_[0] = candidateKnown_[1] = false;
    const std::size_t limit = reader_.LimitOffset();
    std::size_t pos = reader_.NextOffset();
    // A line ending at a CR that ends the fill's data waits for the next
    // fill, which tells whether an LF follows: the line reader takes it.
    const std::size_t end = limit == reader_.FilledOffset() && limit > pos && data_[limit - 1] == '\r' ? limit - 1
                                                                                                    : limit;
    while (pos < end) {
        // Every line before the next place a string starts is not found
        // (found, with reverse logic), so only their number counts.
        const std::size_t candidate = NextCandidate(pos, end);
        if (!(options_.Reverse ? FoundLines(pos, candidate) : SkipLines(pos, candidate)))
            return false;
        if (candidate >= end)
            break;
        const std::size_t e = FirstEnd(pos, end);
        if (e == end)
            break; // the line goes on past the fill: the line reader takes it
        if (!TestedLine(pos, e))
            return false;
        pos = AfterEnd(e);
    }
    if (pos != reader_.NextOffset())
        MoveReader(lastEnd_);
    return true;
}

void FileScan::Run(const std::string& fileName)
{
    reader_.OpenText(fileName);
    // Closed however the scan ends, a refused output line included.
    struct CloseOnExit {
        TextReader& reader;
        ~CloseOnExit() { reader.CloseText(); }
    } closer{reader_};
    // With a predicate that needs the whole line, the patterns search each
    // fill of the read buffer ahead of the lines cut from it; they forget it
    // when the scan ends, however it ends.
    struct SearchAheadEnd {
        RunState& run;
        ~SearchAheadEnd()
        {
            run.Pattern1.SearchAhead({});
            run.Pattern2.SearchAhead({});
        }
    } searchAheadEnd{run_};
    fill_ = reader_.FillNumber();
    run_.SizeBlocks = reader_.BlockSize();
    lineBase_ = run_.LinesSearched;
    // Without "Case Sensitive Searching" the patterns compare each line as
    // its folded copy themselves, so the line as read is also the compare
    // line. With a predicate on the two strings' presence, the lines that lie
    // wholly in a fill are searched fill by fill, and only the line that
    // goes on into the next fill (or ends at a byte 26) is read alone.
    // Or and Xor find a line with either string; the others only a line with string 1.
    const bool either = how_ == Combine::Or || how_ == Combine::Xor;
    prefilter_[0] = Prefilter(run_.Pattern1);
    prefilter_[1] = either ? Prefilter(run_.Pattern2) : nullptr;
    wholeFills_ = how_ != Combine::Other && prefilter_[0] && (!either || prefilter_[1]);
    while (!reader_.AtEnd() && !CancelRequested) {
        if (wholeFills_) {
            if (!SearchFill())
                break;
            if (reader_.AtEnd())
                break;
        }
        if (!ReadOneLine())
            break;
    }
    reader_.CloseText();
    if (leftOut_) {
        leftOut_ = false;
        ShowRefresh(run_, host_, left_);
    }
    EndOfFileRefresh(run_, host_);
}

} // namespace

void TenLineRefresh(RunState& run, ScanHost& host, const TextReader& reader)
{
    ShowRefresh(run, host, {run.LinesSearched, run.LinesFound, run.WordsFound, reader.BlockPosition()});
}

void ScanFile(RunState& run, ScanHost& host, const std::string& fileName)
{
    FileScan(run, host).Run(fileName);
}

} // namespace quillo
