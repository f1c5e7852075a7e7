// The search run behind the Search button, "Start" and "/GO": every file of the
// file list in order, under one run header.
#pragma once

#include "search/search_host.h"

#include <string_view>

namespace quillo {

inline constexpr std::string_view NewSearchLine = "*****  New Search  *****";
inline constexpr std::string_view MsgEnterFilename = "Enter the filename first";
inline constexpr std::string_view MsgSelectOperator = "Select an operator first";
inline constexpr std::string_view MsgInvalidExpression = "Invalid regular expression: ";
inline constexpr std::string_view IdleTitle = "Quillo";

// Runs one search. A failure raised on the way (the output list refusing a
// line, the output file failing) leaves the window as after a completed run
// before it propagates.
void SearchRun(RunHost& host);

} // namespace quillo
