// Which parts of a found line the run's search strings match, for a window
// that marks them. Made once per run; asked lazily, for the lines on screen.
#pragma once

#include "search/match/predicates.h"
#include "search/search_host.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillo {

class MatchHighlighter {
public:
    static constexpr std::size_t NoLimit = static_cast<std::size_t>(-1);

    virtual ~MatchHighlighter() = default;

    // The parts of line that the run's strings match, ascending, with
    // overlapping and touching parts joined, into out (emptied first). Only
    // the first limit bytes are marked: a part reaching past limit is cut
    // there, and the line is read no further than a match starting before
    // limit needs.
    virtual void Ranges(std::string_view line, std::size_t limit, std::vector<ByteRange>& out) const = 0;

    std::vector<ByteRange> Ranges(std::string_view line, std::size_t limit = NoLimit) const
    {
        std::vector<ByteRange> out;
        Ranges(line, limit, out);
        return out;
    }
};

// Every occurrence of string 1 and of string 2 (an empty one marks nothing),
// ignoring case as the search does unless it is case-sensitive.
class StringHighlighter final : public MatchHighlighter {
public:
    StringHighlighter(std::string string1, std::string string2, bool caseSensitive);

    using MatchHighlighter::Ranges;
    void Ranges(std::string_view line, std::size_t limit, std::vector<ByteRange>& out) const override;

private:
    PreparedPattern pattern1_;
    PreparedPattern pattern2_;
};

// Every match of string 1 and of string 2 under a rule beyond the plain one
// (regular expressions, whole words): the matches the search itself counts.
class RuleHighlighter final : public MatchHighlighter {
public:
    RuleHighlighter(std::string string1, std::string string2, const PatternRule& rule);

    using MatchHighlighter::Ranges;
    void Ranges(std::string_view line, std::size_t limit, std::vector<ByteRange>& out) const override;

private:
    PreparedPattern pattern1_;
    PreparedPattern pattern2_;
};

// The highlighter of a run with these settings; null under "Reverse Logic",
// whose found lines are the ones that do not match.
std::shared_ptr<const MatchHighlighter> MakeHighlighter(const SearchSettings& settings);

} // namespace quillo
