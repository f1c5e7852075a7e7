// Which rows of the output list are headers: each run's "New Search" line and
// each file's header line with the file it names. The window leads from a
// found line to its file through this record, never through a header's text:
// a found line can look exactly like a header, and a file name can hold
// "- Search Pattern=".
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillo {

class MatchHighlighter;

// What a run tells the list about its found lines.
struct RunLines {
    std::shared_ptr<const MatchHighlighter> highlighter; // null: nothing to mark
    bool numbered = false; // found lines start with their number and " : "
};

enum class RowKind { Line, RunHeader, FileHeader };

class HeaderRows {
public:
    // Rows are added in the order the list appends them. A row at or above
    // the last one recorded means the list started again: what was recorded
    // from that row on is dropped.
    void AddRun(std::size_t row, RunLines lines = {});
    void AddFile(std::size_t row, std::string file);
    // The list was emptied.
    void Clear() noexcept;
    // The list was emptied while a run goes on: the lines it appends from now
    // on belong to that run, without a header of their own.
    void ContinueRun(RunLines lines) { runs_.emplace_back(0, std::move(lines)); }

    // The file of the nearest header at or above row; nullptr when that
    // header is a run's, or when there is none.
    const std::string* FileOf(std::size_t row) const;
    std::size_t Count() const noexcept { return headers_.size(); }
    // Whether the row is a run's or a file's header line.
    RowKind KindOf(std::size_t row) const;
    // The run whose header is the nearest at or above row; nullptr when none.
    const RunLines* RunOf(std::size_t row) const;

private:
    struct Header {
        std::size_t row;
        bool isFile;
        std::string file;
    };
    void Add(Header header);

    // Rows ascending; grown in pieces that never move, so that a run of
    // many files never copies the headers recorded before.
    std::deque<Header> headers_;
    std::deque<std::pair<std::size_t, RunLines>> runs_; // rows ascending
};

// A file list entry as a path to open later: an absolute entry as it is, a
// relative one joined to folder (the current folder when the run read it).
// An empty entry stays empty: it named no file.
std::string EntryPath(std::string_view entry, std::string_view folder);

// The process's current folder; empty when it cannot be told (removed).
std::string CurrentFolder();

} // namespace quillo
