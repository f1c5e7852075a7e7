#include "ui/output/header_rows.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <unistd.h>

namespace quillo {

void HeaderRows::AddRun(std::size_t row)
{
    Add({row, false, {}});
}

void HeaderRows::AddFile(std::size_t row, std::string file)
{
    Add({row, true, std::move(file)});
}

void HeaderRows::Add(Header header)
{
    const auto stale = std::lower_bound(headers_.begin(), headers_.end(), header.row,
                                        [](const Header& h, std::size_t row) { return h.row < row; });
    headers_.erase(stale, headers_.end());
    headers_.push_back(std::move(header));
}

void HeaderRows::Clear() noexcept
{
    headers_.clear();
    headers_.shrink_to_fit();
}

const std::string* HeaderRows::FileOf(std::size_t row) const
{
    const auto above = std::upper_bound(headers_.begin(), headers_.end(), row,
                                        [](std::size_t r, const Header& h) { return r < h.row; });
    if (above == headers_.begin())
        return nullptr;
    const Header& nearest = *std::prev(above);
    return nearest.isFile ? &nearest.file : nullptr;
}

std::string EntryPath(std::string_view entry, std::string_view folder)
{
    if (entry.empty() || entry.front() == '/' || folder.empty())
        return std::string(entry);
    std::string path(folder);
    if (path.back() != '/')
        path += '/';
    path += entry;
    return path;
}

std::string CurrentFolder()
{
    std::string folder(PATH_MAX, '\0');
    while (::getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        folder.resize(folder.size() * 2);
    }
    folder.resize(folder.find('\0'));
    return folder;
}

} // namespace quillo
