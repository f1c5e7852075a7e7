#include "ui/window/status_texts.h"

#include "search/read/file_scan.h"
#include "search/output/number_format.h"
#include "ui/platform/text_bytes.h"

#include <string>

namespace quillo {
namespace {

// What a run shows in each panel before its first refresh.
constexpr std::string_view RunStartTexts[4] = {
    "Lines Searched = None",
    "Lines Found = None",
    "File Position 0 (KB)",
    "Words Found = None",
};

// The number format at its longest: eight digits grouped, and eight
// significant digits with a two-digit exponent (a 64-bit counter reaches
// 9.2E18, a file position 8.9E15 Kb).
constexpr long double LongestNumbers[] = {99999999.0L, 1.2345678e18L, -0.5L};

} // namespace

QStringList LongestPanelTexts(int panel)
{
    constexpr std::string_view Labels[4] = {LinesSearchedText, LinesFoundText, FilePositionText, WordsFoundText};
    if (panel < 0 || panel >= 4)
        return {};
    const auto i = static_cast<std::size_t>(panel);
    QStringList texts{FromBytes(StartPanelTexts[i]), FromBytes(RunStartTexts[i])};
    for (const long double number : LongestNumbers) {
        std::string text(Labels[i]);
        AppendNumber(text, number);
        if (panel == 2)
            text += KbText;
        texts << FromBytes(text);
    }
    return texts;
}

} // namespace quillo
