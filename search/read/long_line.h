// What the scan of a file needs for a line longer than the read buffer:
// searching it in parts as they pass, and how the predicate combines what
// the parts held.
#pragma once

#include "search/match/predicates.h"
#include "search/run_flags.h"
#include "search/search_host.h"
#include "search/read/text_reader.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillo {

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

// What searches a whole read buffer for the lines that can hold a pattern:
// a string that every such line holds, found byte for byte (folded where the
// pattern ignores case); null when the pattern has none. A line without it
// cannot hold the pattern; a line with it is still tested whole. A plain
// search string is its own.
inline const PreparedPattern* Prefilter(const PreparedPattern& pattern) noexcept { return pattern.LiteralSearch(); }

// Whether a line holds the pattern exactly when its bytes hold the
// pattern's prefilter: then a line can be searched in parts.
inline bool IsPlainString(const PreparedPattern& pattern) noexcept { return Prefilter(pattern) == &pattern; }

// How a predicate combines the presence of the two patterns; Other for a
// predicate that needs the whole line.
enum class Combine { Single, And, Or, Xor, AndNot, Other };

inline Combine CombineOf(Predicate match)
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

inline bool Combined(Combine how, bool one, bool two)
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

    LongLine(Predicate match, const PreparedPattern& one, const PreparedPattern& two, ScanHost& host)
        : host_(host), how_(IsPlainString(one) && IsPlainString(two) ? CombineOf(match) : Combine::Other),
          one_(one), two_(two)
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

} // namespace quillo
