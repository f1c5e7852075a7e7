#include "ui/output/header_rows.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <unistd.h>

namespace quillo {

void HeaderRows::AddRun(std::size_t row, RunLines lines)
{
    Add({row, false, {}});
    runs_.emplace_back(row, std::move(lines));
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
    const auto staleRun = std::lower_bound(runs_.begin(), runs_.end(), header.row,
                                           [](const auto& run, std::size_t row) { return run.first < row; });
    runs_.erase(staleRun, runs_.end());
    headers_.push_back(std::move(header));
}

void HeaderRows::Clear() noexcept
{
    headers_.clear();
    headers_.shrink_to_fit();
    runs_.clear();
    runs_.shrink_to_fit();
}

RowKind HeaderRows::KindOf(std::size_t row) const
{
    const auto at = std::lower_bound(headers_.begin(), headers_.end(), row,
                                     [](const Header& h, std::size_t r) { return h.row < r; });
    if (at == headers_.end() || at->row != row)
        return RowKind::Line;
    return at->isFile ? RowKind::FileHeader : RowKind::RunHeader;
}

const RunLines* HeaderRows::RunOf(std::size_t row) const
{
    const auto above = std::upper_bound(runs_.begin(), runs_.end(), row,
                                        [](std::size_t r, const auto& run) { return r < run.first; });
    return above == runs_.begin() ? nullptr : &std::prev(above)->second;
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
