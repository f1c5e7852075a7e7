// The private-profile text format, as plain text in and text out:
//
//   [Section]
//   key=value
//
// - Section and key names are compared without regard to the case of the
//   letters A-Z; blanks (space, tab) around names, around "=" and around a
//   value are ignored, so "  Count Lines =  1 " is the key "Count Lines" with
//   the value "1". Quote marks are ordinary characters of a value.
// - A section line is one whose first non-blank character is "[" and which
//   holds a "]"; the name is what lies between them, anything after "]" is
//   ignored. A key line is any other line inside a section that holds a "="
//   and does not start (after blanks) with ";" or "#" (comments). Lines before
//   the first section, comments, blank lines and any other line are kept as
//   they are and never read.
// - A name may occur more than once: the first key of that name in any section
//   of that name counts, for reading and for writing.
// - Lines end with LF or CR LF; the last line may have no line end, or a CR
//   alone (read as a CR LF without its LF).
//
// Writing changes only the bytes of the one key: an existing key line keeps
// everything up to the value (key spelling, blanks, "=") and its line end; a
// missing key is added after the last key line of the first section of that
// name (right after the section line when it has none); a missing section is
// appended at the end. New lines end like the file's first line (CR LF or LF;
// LF for a file without any line end); a last line without a line end gets one
// before anything is added after it (an LF after a last CR).
//
// Every function here reads the text once from start to end and keeps no
// record of its lines, so a large file of blank lines costs little.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quillo {

// The value of key in section, or nothing when the section or key is missing.
std::optional<std::string> FindProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key);

// content with key in section set to value, as described above. Blanks at
// either end of the names are dropped, and blanks at either end of value do
// not read back. Throws
// std::invalid_argument for a name or value that would not read back as given:
// a section holding "]", a key holding "=" or starting with "[", ";" or "#",
// and any line break in section, key or value.
std::string SetProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value);

struct ProfileEdit {
    std::string section;
    std::string key;
    std::string value;
};

// content after the edits, in one pass: exactly the text that SetProfileValue
// applied once per edit, in order, would give. Throws std::invalid_argument,
// before anything is changed, when any edit would be refused.
std::string SetProfileValues(std::string_view content, std::span<const ProfileEdit> edits);

// Every key's value, read from a text once: the first key of a name in any
// section of a name, as FindProfileValue finds it.
class ProfileIndex {
public:
    ProfileIndex() = default;
    explicit ProfileIndex(std::string_view content);

    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // What a read gives after the key has been written with value.
    void Set(std::string_view section, std::string_view key, std::string_view value);

private:
    std::unordered_map<std::string, std::string> values_; // folded "SECTION\nKEY" -> trimmed value
};

} // namespace quillo
