#include "file_scan.h"

#include "number_format.h"
#include "run_flags.h"

#include <charconv>

namespace quillo {
namespace {

void SetNumberPanel(RunState& run, ScanHost& host, int panel, std::string_view label, long double value,
                    std::string_view suffix = {})
{
    run.Text.assign(label);
    AppendNumber(run.Text, value);
    run.Text += suffix;
    host.SetPanelText(panel, run.Text);
}

// Panels 2 and 1, in that order.
void ShowProgress(RunState& run, ScanHost& host, long double blocks)
{
    SetNumberPanel(run, host, 2, FilePositionText, blocks * BlocksToKb, KbText);
    SetNumberPanel(run, host, 1, LinesFoundText, static_cast<long double>(run.LinesFound));
}

void TenLineRefresh(RunState& run, ScanHost& host, const TextReader& reader)
{
    run.PositionBlocks = static_cast<long double>(reader.BlockPosition());
    host.SetApplicationTitle(run.Caption);
    if (run.Options.LineCount)
        SetNumberPanel(run, host, 0, LinesSearchedText, static_cast<long double>(run.LinesSearched));
    if (run.Options.Progress)
        ShowProgress(run, host, run.PositionBlocks);
    if (run.Options.WordCount)
        SetNumberPanel(run, host, 3, WordsFoundText, static_cast<long double>(run.WordsFound));
    host.ProcessEvents();
}

void EndOfFileRefresh(RunState& run, ScanHost& host)
{
    if (run.Options.LineCount)
        SetNumberPanel(run, host, 0, LinesSearchedText, static_cast<long double>(run.LinesSearched));
    if (run.Options.Progress)
        ShowProgress(run, host, run.SizeBlocks);
}

void AppendFound(RunState& run, ScanHost& host, std::int64_t lineNumber)
{
    if (!run.Options.Numbering) {
        host.AppendLine(run.RawLine);
        return;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, lineNumber).ptr;
    run.Text.assign(digits, end);
    run.Text += " : ";
    run.Text += run.RawLine;
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

void ScanFile(RunState& run, ScanHost& host, const std::string& fileName)
{
    TextReader reader;
    reader.OpenText(fileName);
    run.SizeBlocks = static_cast<long double>(reader.BlockSize());
    const std::int64_t lineBase = run.LinesSearched;
    int refresh = 0;
    const SearchOptions& options = run.Options;
    const bool countWords = options.WordCount && run.String2Empty && !options.Reverse;

    // The compare line is held in the first bytes of run.CompareLine, which
    // only grows during the file (a longer line costs no zero fill each time)
    // and is cut back to the last compare line however the scan ends.
    struct CompareLineTrim {
        std::string& buffer;
        std::size_t length = std::string::npos;
        ~CompareLineTrim()
        {
            if (length != std::string::npos)
                buffer.resize(length);
        }
    } trim{run.CompareLine};

    while (!reader.AtEnd() && !CancelRequested) {
        run.ReadLine(reader, run.RawLine);
        std::string_view compare = run.RawLine;
        if (!options.CaseSensitive) {
            const std::size_t length = run.RawLine.size();
            if (run.CompareLine.size() < length)
                run.CompareLine.resize(length);
            FoldCaseInto(run.RawLine, run.CompareLine.data());
            compare = {run.CompareLine.data(), length};
            trim.length = length;
        }
        ++run.LinesSearched;
        if (++refresh == 10) {
            refresh = 0;
            TenLineRefresh(run, host, reader);
        }
        if (run.Match(run.Pattern1, run.Pattern2, compare) == options.Reverse)
            continue;
        ++run.LinesFound;
        AppendFound(run, host, run.LinesSearched - lineBase);
        if (options.OneInstance)
            break;
        if (countWords)
            run.WordsFound += CountWords(run.Pattern1, compare);
    }
    reader.CloseText();
    EndOfFileRefresh(run, host);
}

} // namespace quillo
