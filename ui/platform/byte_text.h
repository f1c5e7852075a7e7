// Search strings are bytes; the edit fields hold Qt text. The conversion
// between the two loses nothing: valid UTF-8 becomes the characters it
// encodes, and every other byte b (0x80 to 0xFF) becomes the lone low
// surrogate U+DC00 + b, which turns back into that byte.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quillo {

// UTF-8 taken strictly: overlong forms, surrogates, code points above
// U+10FFFF and cut-off sequences are not text, byte for byte.
QString BytesToText(std::string_view bytes);

// Characters as UTF-8, U+DC80..U+DCFF as the bytes 0x80..0xFF; any other
// surrogate without its partner (typing never gives one) as U+FFFD.
// BytesToText followed by TextToBytes gives back every byte string exactly.
std::string TextToBytes(const QString& text);

} // namespace quillo
