// The matching options beyond the "Options" section, kept in the section
// "Search" of the settings file: "Regular Expressions" and "Whole Words",
// flags that are off unless stored otherwise. Written at close in the same
// write as the options.
#pragma once

#include "settings/ini_file.h"

#include <string_view>

namespace quillo {

inline constexpr std::string_view SearchSection = "Search";
inline constexpr std::string_view RegexKey = "Regular Expressions";
inline constexpr std::string_view WholeWordsKey = "Whole Words";

struct SearchMatching {
    bool regex = false;
    bool wholeWords = false;
};

SearchMatching ReadSearchMatching(const TIniFile& settings);

// Adds "Regular Expressions" and "Whole Words", in that order.
void AddSearchMatching(ProfileChanges& changes, const SearchMatching& matching);

} // namespace quillo
