// ScanFile: reads one file of a search run line by line, reports the found
// lines and keeps the run's counters and status texts.
#pragma once

#include "search/match/predicates.h"
#include "search/search_host.h"
#include "search/read/text_reader.h"

#include <cstdint>
#include <string>

namespace quillo {

// The state of one search run, shared by the scans of all its files.
struct RunState {
    PreparedPattern Pattern1; // ignoring case unless the search is case-sensitive
    PreparedPattern Pattern2;
    Predicate Match = &MatchSingle;
    LineReader ReadLine = &ReadDosLine;
    SearchOptions Options;
    bool String2Empty = true;
    std::string Caption; // "Searching " + the current file

    std::int64_t LinesSearched = 0;
    std::int64_t LinesFound = 0;
    std::int64_t WordsFound = 0;
    std::int64_t SizeBlocks = 0;     // of the current file, at open
    std::int64_t PositionBlocks = 0; // at the last ten-line refresh
    // The coarse clock's reading at the last ten-line refresh made, where
    // the host does not take every one.
    std::int64_t RefreshTick = 0;

    // Kept across lines and files: the reader of the file being scanned (it
    // keeps its read buffer from file to file), the line that did not end
    // inside the read buffer, and the text of a panel or a numbered line.
    TextReader Reader;
    std::string RawLine;
    std::string Text;
};

// Status texts of the scan.
inline constexpr std::string_view LinesSearchedText = "Lines Searched: ";
inline constexpr std::string_view LinesFoundText = "Lines Found: ";
inline constexpr std::string_view FilePositionText = "File Position: ";
inline constexpr std::string_view WordsFoundText = "Words Found: ";
inline constexpr std::string_view KbText = " Kb";

void ScanFile(RunState& run, ScanHost& host, const std::string& fileName);

// What the scan does after every tenth line of a file: the title, the status
// panels its options ask for (0, then 2 and 1, then 3) and the host's turn to
// let events run.
void TenLineRefresh(RunState& run, ScanHost& host, const TextReader& reader);

} // namespace quillo
