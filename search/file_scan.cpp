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
    while (!reader.AtEnd() && !CancelRequested) {
        const std::string_view line = run.ReadLine(reader, run.RawLine);
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
        if (run.Match(run.Pattern1, run.Pattern2, line) == options.Reverse)
            continue;
        ++run.LinesFound;
        AppendFound(run, host, line, run.LinesSearched - lineBase);
        if (options.OneInstance)
            break;
        if (countWords)
            run.WordsFound += CountWords(run.Pattern1, line);
    }
    reader.CloseText();
    EndOfFileRefresh(run, host);
}

} // namespace quillo
