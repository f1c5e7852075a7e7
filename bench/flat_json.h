// A one-level JSON object kept as key / raw value text pairs, enough to add
// our figures to a results file that other programs also write to.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace bench {

class FlatJson {
public:
    // Reads the object in path; a missing, empty or unreadable file gives an
    // empty object. Values are kept as their raw text (nested values whole).
    // Returns false when the file exists but is not an object we can read.
    bool Load(const std::string& path);

    // The key's value read as a number; 0 when it is missing or no number.
    double Number(const std::string& key) const;
    void SetNumber(const std::string& key, double value);
    void SetInteger(const std::string& key, unsigned long long value);

    // Writes the object, one key a line, through a temporary file and rename.
    bool Save(const std::string& path) const;

private:
    void SetRaw(const std::string& key, std::string raw);

    std::vector<std::pair<std::string, std::string>> entries_; // key (unescaped), raw value
};

} // namespace bench
