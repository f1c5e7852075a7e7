// TIniFile: a private-profile (".ini") settings file. The file is read and
// parsed once, at the first read, and every read is answered from that; a
// write reads the file afresh (so that what was edited by hand meanwhile
// stays) and replaces it in one step with all its changes.
#pragma once

#include "settings/profile_format.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Changes to a settings file, gathered to be written together. They take
// effect in the order given, as if each key were written on its own.
class ProfileChanges {
public:
    ProfileChanges& SetText(std::string_view section, std::string_view key, std::string_view text);
    // The decimal form, with "-" for a negative value.
    ProfileChanges& SetInt(std::string_view section, std::string_view key, int value);
    // "1" for on, "0" for off.
    ProfileChanges& SetFlag(std::string_view section, std::string_view key, bool value);

    const std::vector<ProfileEdit>& Edits() const noexcept { return edits_; }

private:
    std::vector<ProfileEdit> edits_;
};

class TIniFile {
public:
    // Touches no file.
    explicit TIniFile(std::string fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const noexcept { return fileName_; }

    // The key's text with blanks around it removed, or def when the file,
    // section or key is missing or the file cannot be read; at most 1023
    // characters either way.
    std::string ReadText(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInt(std::string_view section, std::string_view key, int def) const;
    // Whether the file holds the key in the section (with any value).
    bool HasKey(std::string_view section, std::string_view key) const;
    // On exactly when the stored integer (def 1 for on, 0 for off) is not 0.
    bool ReadFlag(std::string_view section, std::string_view key, bool def) const;

    // Reads the file as it is now, applies the changes, and writes the file
    // through a FileWriter (in one replace where that keeps the file what it
    // was, in place otherwise): a symbolic link is written at its target and
    // kept, a missing folder is made. Other keys, sections and lines stay
    // byte for byte. Refused as a whole, with quillo::Failure "Unable to write
    // to <file name>" and the file unchanged, when: anything but a regular
    // file is there; the file has no write bit at all (even for root) or the
    // program may not write it; it exists but cannot be read; the temporary
    // file cannot be made; or writing, flushing or renaming fails (full disk;
    // a file written in place is left shorter then).
    // Later reads see the new values.
    void Write(const ProfileChanges& changes) const;

    // One key each, written as Write does.
    void WriteText(std::string_view section, std::string_view key, std::string_view text) const;
    void WriteInt(std::string_view section, std::string_view key, int value) const;
    void WriteFlag(std::string_view section, std::string_view key, bool value) const;

private:
    const ProfileIndex& Index() const;

    std::string fileName_;
    mutable std::unique_ptr<ProfileIndex> index_; // made at the first read
};

} // namespace quillo
