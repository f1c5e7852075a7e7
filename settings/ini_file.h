// TIniFile: a private-profile (".ini") settings file, opened afresh for every
// read and every write; the object itself only holds the file name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace quillo {

static_assert(sizeof(int) == 4, "profile integers are 32-bit");

inline constexpr std::size_t ProfileTextLimit = 1023;

// An integer as the profile stores it. A text longer than 2 characters that
// starts with "0x" or "0X" has those two characters taken as "$". Then, after
// leading blanks: "$" and hexadecimal digits fitting in 32 bits (read as a
// signed 32-bit pattern, so "$FFFFFFFF" is -1), or an optional sign and
// decimal digits within the int range. Anything else, or anything left over
// (trailing blanks included), gives def.
int ParseProfileInt(std::string_view text, int def);

class TIniFile {
public:
    // Touches no file.
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const noexcept { return fileName_; }

    // The key's text with blanks around it removed, or def when the file,
    // section or key is missing or the file cannot be read; at most 1023
    // characters either way.
    std::string ReadText(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInt(std::string_view section, std::string_view key, int def) const;
    // On exactly when the stored integer (def 1 for on, 0 for off) is not 0.
    bool ReadFlag(std::string_view section, std::string_view key, bool def) const;

    // Sets one key, creating file and section as needed, and replaces the file
    // in one step: the new contents go to a temporary file in the same folder,
    // which is flushed to disk and then renamed over the old file, keeping its
    // permission bits (and owner, where allowed). A symbolic link is followed.
    // Refused, with quillo::Failure "Unable to write to <file name>" and the
    // file unchanged, when: the file has no write bit at all (even for root,
    // who could write it otherwise) or the program may not write it; the file
    // exists but cannot be read; the temporary file cannot be created (folder
    // missing or not writable for this process); or writing, flushing or
    // renaming fails (full disk).
    void WriteText(std::string_view section, std::string_view key, std::string_view text) const;
    void WriteInt(std::string_view section, std::string_view key, int value) const;
    // Stores "1" for on, "0" for off.
    void WriteFlag(std::string_view section, std::string_view key, bool value) const;

private:
    std::string fileName_;
};

} // namespace quillo
