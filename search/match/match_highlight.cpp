#include "search/match/match_highlight.h"

#include <algorithm>

namespace quillo {
namespace {

void AddOccurrences(const PreparedPattern& pattern, std::string_view line, std::size_t limit,
                    std::vector<ByteRange>& out)
{
    const std::size_t length = pattern.Text().size();
    if (length == 0 || limit == 0)
        return;
    // No match starting before limit reaches past this.
    const std::size_t window = limit >= line.size() || line.size() - limit < length ? line.size() : limit + length - 1;
    const std::string_view hay = line.substr(0, window);
    std::size_t from = 0;
    while (from < limit) {
        const std::size_t at = pattern.Find(hay.substr(from));
        if (at == std::string_view::npos || from + at >= limit)
            break;
        const std::size_t begin = from + at;
        out.push_back({begin, std::min(begin + length, limit)});
        from = begin + 1;
    }
}

} // namespace

StringHighlighter::StringHighlighter(std::string string1, std::string string2, bool caseSensitive)
    : pattern1_(std::move(string1), !caseSensitive), pattern2_(std::move(string2), !caseSensitive)
{
}

void StringHighlighter::Ranges(std::string_view line, std::size_t limit, std::vector<ByteRange>& out) const
{
    out.clear();
    limit = std::min(limit, line.size());
    AddOccurrences(pattern1_, line, limit, out);
    AddOccurrences(pattern2_, line, limit, out);
    MergeRanges(out);
}

RuleHighlighter::RuleHighlighter(std::string string1, std::string string2, const PatternRule& rule)
    : pattern1_(std::move(string1), rule), pattern2_(std::move(string2), rule)
{
}

void RuleHighlighter::Ranges(std::string_view line, std::size_t limit, std::vector<ByteRange>& out) const
{
    out.clear();
    limit = std::min(limit, line.size());
    if (limit == 0)
        return;
    // A line far longer than what is drawn is matched over a stretch past
    // the bound wide enough for any match a screen shows; the marks of the
    // drawn part come out the same but where a match runs on beyond it.
    constexpr std::size_t Reach = std::size_t{1} << 16;
    const std::string_view hay = line.size() - limit > Reach ? line.substr(0, limit + Reach) : line;
    for (const PreparedPattern* pattern : {&pattern1_, &pattern2_})
        for (ByteRange range : pattern->MatchRanges(hay)) {
            if (range.begin >= limit)
                break;
            range.end = std::min(range.end, limit);
            out.push_back(range);
        }
    MergeRanges(out);
}

std::shared_ptr<const MatchHighlighter> MakeHighlighter(const SearchSettings& settings)
{
    if (settings.Options.Reverse)
        return nullptr;
    const SearchOptions& o = settings.Options;
    if (o.Regex || o.WholeWords) {
        const PatternRule rule{!o.CaseSensitive, o.Regex, o.WholeWords};
        try {
            return std::make_shared<RuleHighlighter>(settings.String1, settings.String2, rule);
        } catch (const InvalidExpression&) {
            return nullptr; // the run refuses such strings before it starts
        }
    }
    return std::make_shared<StringHighlighter>(settings.String1, settings.String2, settings.Options.CaseSensitive);
}

} // namespace quillo
