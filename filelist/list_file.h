// The list file: the file list's entries, one a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillo {

// Lines end at CR, LF or CR LF (LF CR is two ends); a zero byte ends the
// text; a last line without a line end is kept, a final line end adds nothing.
std::vector<std::string> ParseListText(std::string_view text);

// Raises "Cannot open file <path>" when the file cannot be opened for reading
// (a folder or anything but a regular file included).
std::vector<std::string> ReadListFile(const std::string& path);

inline constexpr std::string_view MsgNameWithLineEnd = "Cannot save a name holding a line end: %s";

// Every entry followed by CR LF, written through a FileWriter (one replace
// where that keeps the file what it was, in place otherwise); missing folders
// of the path are made (the list file's place in the user's configuration
// folder is made at the first save). Raises "Cannot create file <path>" (also
// for a FIFO, folder or other non-file there) or "Stream write error"; the old
// file stays whole then, except after a failed write in place. An entry holding CR or LF could not
// be read back as one: the whole list is refused with "Cannot save a name
// holding a line end: <entry>" before anything is written.
void WriteListFile(const std::string& path, const std::vector<std::string>& entries);

} // namespace quillo
