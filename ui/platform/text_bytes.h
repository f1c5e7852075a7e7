// The window shows text; the engine, the lists and the files work with the
// 8-bit bytes behind it. Every conversion between the two goes through here.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quillo {

// 8-bit text (search strings, entries, captions, messages) as the window
// shows it: decoded with the locale's code page.
QString FromBytes(std::string_view bytes);
// What the window shows, back as 8-bit text in the locale's code page.
std::string ToBytes(const QString& text);
// A name from a file dialog as the file system's bytes.
std::string FileNameBytes(const QString& name);

} // namespace quillo
