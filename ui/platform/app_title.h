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

// A failure leaving a search run is shown after the run has set the title
// back to the idle one; it keeps the title of the moment it arose.
void KeepTitleForFailure();
void ForgetTitleForFailure();
// The caption of a failure being shown: the kept title if there is one (and
// forgets it), else the application title.
QString FailureCaption();

} // namespace quillo
