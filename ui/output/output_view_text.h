// How the output list turns a line's bytes into text: the whole line for the
// clipboard, and a bounded start for the screen, so that a line of hundreds of
// megabytes never reaches Qt's text layout whole.
#pragma once

#include "search/match/match_highlight.h"
#include "search/output/output_store.h"

#include <QString>

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace quillo {

// The whole line, decoded as the list shows it (the locale's 8-bit text; under
// UTF-8 every invalid byte shows as U+FFFD).
QString LineText(std::string_view bytes);

// The start of a line, at most maxChars UTF-16 units, cut between two
// characters, and whether the line goes on after it. Only a bounded prefix of
// the bytes is decoded.
struct LineStart {
    QString text;
    bool cut = false;
};
LineStart DecodeLineStart(std::string_view bytes, qsizetype maxChars);

// Byte ranges of a line as [begin, end) UTF-16 positions of its decoded text
// (ascending ranges, as a highlighter gives them). A range's ends fall where
// the bytes before them decode to; ranges are cut at maxUnits, and those
// beginning there or later are left out.
using UnitRange = std::pair<qsizetype, qsizetype>;
std::vector<UnitRange> UnitRanges(std::string_view bytes, const std::vector<ByteRange>& ranges, qsizetype maxUnits);

// The store's first count lines, each decoded as LineText, joined by "\n".
// Sized first, then built in one pass into a string of that size.
QString JoinedLines(const OutputLineStore& store, std::size_t count);

} // namespace quillo
