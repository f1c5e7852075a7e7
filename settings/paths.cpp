#include "settings/paths.h"

#include "search/failure.h"
#include "search/save/write_target.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef QUILLO_INSTALL_BINDIR
#error "QUILLO_INSTALL_BINDIR: the install prefix's bin folder, set by the build"
#endif

namespace quillo {
namespace {

std::string_view WithoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

// folder + "/" + name, with one slash also when folder is the root.
std::string Join(std::string_view folder, std::string_view name)
{
    folder = WithoutTrailingSlashes(folder);
    std::string out(folder == "/" ? "" : folder);
    return out.append("/").append(name);
}

std::string BaseName(std::string_view path)
{
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The folder with its links resolved, so that a prefix reached through a
// link still counts; as given when it does not exist.
std::string Resolved(const std::string& folder)
{
    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        std::string out(real);
        std::free(real);
        return out;
    }
    return folder;
}

} // namespace

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

std::string UserHome(const char* homeVariable)
{
    if (homeVariable && homeVariable[0] == '/')
        return homeVariable;
    if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir && user->pw_dir[0] == '/')
        return user->pw_dir;
    return {};
}

std::optional<std::string> UsableConfigHome(const char* value)
{
    if (!value || value[0] != '/')
        return std::nullopt;
    // The nearest part of the path that is there must be a folder the user
    // may make files in: the folder itself, or the one its missing folders
    // are made in at the first write.
    for (std::string probe(WithoutTrailingSlashes(value));; probe = FolderOf(probe)) {
        struct stat st {};
        if (::stat(probe.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode) || ::faccessat(AT_FDCWD, probe.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
                return std::nullopt;
            return value;
        }
        if (errno != ENOENT || probe == "/")
            return std::nullopt;
    }
}

std::optional<std::string> UserConfigFolder(const std::optional<std::string>& xdgConfigHome, std::string_view home)
{
    if (xdgConfigHome && xdgConfigHome->starts_with('/'))
        return Join(*xdgConfigHome, "quillo");
    if (home.starts_with('/'))
        return Join(Join(home, ".config"), "quillo");
    return std::nullopt;
}

std::string ProgramFile(const ProgramPlace& place, std::string_view extension)
{
    std::string beside = ReplaceExtension(place.executable, extension);
    const bool installed = WithoutTrailingSlashes(FolderOf(place.executable)) ==
                           WithoutTrailingSlashes(place.installBinFolder);
    if (!installed && place.folderWritable)
        return beside;
    const auto folder = UserConfigFolder(place.xdgConfigHome, place.home);
    if (!folder)
        return beside;
    return Join(*folder, BaseName(beside));
}

ProgramPlace CurrentProgramPlace()
{
    ProgramPlace place;
    place.executable = ExecutablePath();
    place.installBinFolder = Resolved(QUILLO_INSTALL_BINDIR);
    const std::string folder = FolderOf(place.executable);
    place.folderWritable = ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
    place.xdgConfigHome = UsableConfigHome(std::getenv("XDG_CONFIG_HOME"));
    place.home = UserHome(std::getenv("HOME"));
    return place;
}

std::string SettingsFile() { return ProgramFile(CurrentProgramPlace(), ".ini"); }

std::string ListFile() { return ProgramFile(CurrentProgramPlace(), ".lst"); }

} // namespace quillo
