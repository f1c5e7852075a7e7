// The texts the four status panels show: the start texts, and the longest
// text each panel can get, which its width must hold.
#pragma once

#include <QStringList>

#include <string_view>

namespace quillo {

// The panels' texts in a freshly opened window and after a Clear.
inline constexpr std::string_view StartPanelTexts[4] = {
    "Lines Searched: None",
    "Lines Found: None",
    "File Position: N/A",
    "Words Found: None",
};

// The longest texts panel 0..3 can show: its start text, the text a run
// starts with ("Lines Searched = None" ...), and its label with the longest
// numbers in the status bar's number format (the grouped form up to
// 99,999,999 and the exponent form above it, for 64-bit counters and file
// positions), in the current separators. Their digits stand for any digit.
QStringList LongestPanelTexts(int panel);

} // namespace quillo
