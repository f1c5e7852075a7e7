// The application title: one text for the whole program, the caption of the
// error display. Kept as the 8-bit text the search run sets.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quillo {

inline constexpr std::string_view StartTitle = "Quillo V96.7.10";

const std::string& ApplicationTitle();
void SetApplicationTitle(std::string_view title);
QString ApplicationTitleText();

} // namespace quillo
