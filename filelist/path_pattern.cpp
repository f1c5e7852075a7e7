#include "path_pattern.h"

#include <algorithm>
#include <fnmatch.h>

namespace quillo {
namespace {

const char* const kAnyFolders = "**";

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
        if (walked && !part.empty() && part != ".")
            folders_.push_back(part);
        partStart = slash + 1;
    }
    for (const char c : pattern.substr(nameStart))
        namePattern_ += c == '[' ? std::string("[[]") : std::string(1, c);
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

bool PathPattern::NameMatches(const char* name) const
{
    return ::fnmatch(namePattern_.c_str(), name, FNM_NOESCAPE) == 0;
}

} // namespace quillo
