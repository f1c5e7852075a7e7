// A file pattern as the folder walk uses it: the folder the walk starts in,
// the folder parts below it, and the last part that names the files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillo {

// "src/**/lib/*.cpp": the walk starts in "src/"; below it "**" stands for
// that folder and every folder under it, "lib" for a folder of that name;
// "*.cpp" picks the files. Only "**" as a whole folder part is special:
// other folder parts are names, "a**b" as the last part is "a*b", and a
// pattern without a "**" part lists just its own folder. "**/**" means what
// one "**" means and is kept as one, so that the walk's cost does not grow
// with the number of parts.
class PathPattern {
public:
    explicit PathPattern(const std::string& pattern);

    // The pattern's text up to the walk's first folder: "" (the current
    // folder), "/", or a text ending in "/". Entries are this text followed
    // by the path below it.
    const std::string& Start() const { return start_; }
    // The folder parts below the start: "**" or a folder's name.
    const std::vector<std::string>& FolderParts() const { return folders_; }

    // Where in the folder parts a folder's path below the start may have
    // got to: positions into the folder parts, sorted, no repeats; the
    // position after the last part means that the folder's files are
    // candidates. Empty: nothing below this folder can match.
    using Positions = std::vector<std::size_t>;
    Positions AtStart() const;
    Positions Below(const Positions& at, const char* folderName) const;
    bool TakesFiles(const Positions& at) const;
    bool CanDescend(const Positions& at) const;

    // The last part against a file name: "*" and "?" are wildcards, a
    // leading dot needs no special match, "[" and "\" stand for themselves.
    bool NameMatches(const char* name) const;

private:
    void AddWithSkips(Positions& positions, std::size_t at) const;

    std::string start_;
    std::vector<std::string> folders_; // "**" or a folder's name
    std::string namePattern_;          // for fnmatch, "[" escaped
};

// File names against wildcard masks, each taken as a command-line pattern's
// last part is: "*" and "?" are wildcards, a leading dot needs no special
// match, "[" and "\" stand for themselves. The masks are separated by ";",
// blanks around each one dropped, empty ones left out: "*.cpp; *.h".
class NameMasks {
public:
    explicit NameMasks(const std::string& list);
    bool Empty() const noexcept { return masks_.empty(); }
    // Whether a mask is "*" (every name matches).
    bool TakesEveryName() const noexcept { return everyName_; }
    bool Matches(const char* name) const;

private:
    std::vector<std::string> masks_; // for fnmatch, "[" escaped
    bool everyName_ = false;
};

} // namespace quillo
