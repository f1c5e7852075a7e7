#include "match_highlight.h"

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
        out.emplace_back(begin, std::min(begin + length, limit));
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
    std::sort(out.begin(), out.end());
    std::size_t kept = 0;
    for (const ByteRange& range : out) {
        if (kept > 0 && range.first <= out[kept - 1].second)
            out[kept - 1].second = std::max(out[kept - 1].second, range.second);
        else
            out[kept++] = range;
    }
    out.resize(kept);
}

std::shared_ptr<const MatchHighlighter> MakeHighlighter(const SearchSettings& settings)
{
    if (settings.Options.Reverse)
        return nullptr;
    return std::make_shared<StringHighlighter>(settings.String1, settings.String2, settings.Options.CaseSensitive);
}

} // namespace quillo
