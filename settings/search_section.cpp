#include "settings/search_section.h"

namespace quillo {

SearchMatching ReadSearchMatching(const TIniFile& settings)
{
    SearchMatching matching;
    matching.regex = settings.ReadFlag(SearchSection, RegexKey, false);
    matching.wholeWords = settings.ReadFlag(SearchSection, WholeWordsKey, false);
    return matching;
}

void AddSearchMatching(ProfileChanges& changes, const SearchMatching& matching)
{
    changes.SetFlag(SearchSection, RegexKey, matching.regex).SetFlag(SearchSection, WholeWordsKey, matching.wholeWords);
}

} // namespace quillo
