#include "settings/paths.h"

#include "search/failure.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quillo {

std::string ReplaceExtension(std::string_view path, std::string_view extension)
{
    const auto at = path.find_last_of("./");
    std::string out(path.substr(0, at != std::string_view::npos && path[at] == '.' ? at : path.size()));
    out.append(extension);
    return out;
}

std::string ExecutablePath()
{
    std::string path(4096, '\0');
    for (;;) {
        const ssize_t got = ::readlink("/proc/self/exe", path.data(), path.size());
        if (got < 0)
            throw Failure("Cannot find the program's own file");
        if (static_cast<std::size_t>(got) < path.size()) {
            path.resize(static_cast<std::size_t>(got));
            break;
        }
        path.resize(path.size() * 2);
    }
    // A program file replaced while it runs (a rebuild) reads as "<path> (deleted)";
    // its settings still belong beside the new file of the same name.
    constexpr std::string_view deleted = " (deleted)";
    struct stat st;
    if (path.ends_with(deleted) && ::stat(path.c_str(), &st) != 0)
        path.resize(path.size() - deleted.size());
    return path;
}

std::string SettingsFile() { return ReplaceExtension(ExecutablePath(), ".ini"); }

} // namespace quillo
