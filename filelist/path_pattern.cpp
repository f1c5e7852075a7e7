#include "path_pattern.h"

#include <algorithm>
#include <fnmatch.h>
#include <string_view>

namespace quillo {
namespace {

const char* const kAnyFolders = "**";

// fnmatch's form of a mask: "[" stands for itself.
std::string FnmatchPattern(std::string_view mask)
{
    std::string pattern;
    for (const char c : mask)
        pattern += c == '[' ? std::string_view("[[]") : std::string_view(&c, 1);
    return pattern;
}

bool FnmatchName(const std::string& pattern, const char* name)
{
    return ::fnmatch(pattern.c_str(), name, FNM_NOESCAPE) == 0;
}

} // namespace

PathPattern::PathPattern(const std::string& pattern)
{
    const std::size_t lastSlash = pattern.rfind('/');
    const std::size_t nameStart = lastSlash == std::string::npos ? 0 : lastSlash + 1;
    start_ = pattern.substr(0, nameStart);
    // The folder parts from the first "**" on are walked; the text before it
    // is where the walk starts. Empty and "." parts below it add nothing.
    bool walked = false;
    for (std::size_t partStart = 0; partStart < nameStart;) {
        const std::size_t slash = pattern.find('/', partStart);
        const std::string part = pattern.substr(partStart, slash - partStart);
        if (!walked && part == kAnyFolders) {
            walked = true;
            start_ = pattern.substr(0, partStart);
        }
        // "**/**" is one "**".
        const bool repeatedWalk = part == kAnyFolders && !folders_.empty() && folders_.back() == kAnyFolders;
        if (walked && !part.empty() && part != "." && !repeatedWalk)
            folders_.push_back(part);
        partStart = slash + 1;
    }
    namePattern_ = FnmatchPattern(std::string_view(pattern).substr(nameStart));
}

void PathPattern::AddWithSkips(Positions& positions, std::size_t at) const
{
    positions.push_back(at);
    // "**" may stand for no folder at all.
    while (at < folders_.size() && folders_[at] == kAnyFolders)
        positions.push_back(++at);
}

PathPattern::Positions PathPattern::AtStart() const
{
    Positions positions;
    AddWithSkips(positions, 0);
    return positions;
}

PathPattern::Positions PathPattern::Below(const Positions& at, const char* folderName) const
{
    Positions positions;
    for (const std::size_t i : at) {
        if (i >= folders_.size())
            continue;
        if (folders_[i] == kAnyFolders)
            AddWithSkips(positions, i);
        else if (folders_[i] == folderName)
            AddWithSkips(positions, i + 1);
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

bool PathPattern::TakesFiles(const Positions& at) const { return !at.empty() && at.back() == folders_.size(); }

bool PathPattern::CanDescend(const Positions& at) const { return !at.empty() && at.front() < folders_.size(); }

bool PathPattern::NameMatches(const char* name) const { return FnmatchName(namePattern_, name); }

NameMasks::NameMasks(const std::string& list)
{
    const std::string_view blanks = " \t";
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string_view mask = std::string_view(list).substr(start, end - start);
        const std::size_t first = mask.find_first_not_of(blanks);
        mask = first == std::string_view::npos ? std::string_view() : mask.substr(first);
        mask = mask.substr(0, mask.find_last_not_of(blanks) + 1);
        if (!mask.empty()) {
            everyName_ = everyName_ || mask == "*";
            masks_.push_back(FnmatchPattern(mask));
        }
        start = end + 1;
    }
}

bool NameMasks::Matches(const char* name) const
{
    if (everyName_)
        return true;
    for (const std::string& mask : masks_)
        if (FnmatchName(mask, name))
            return true;
    return false;
}

} // namespace quillo
