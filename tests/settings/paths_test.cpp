#include "settings/paths.h"

#include "search/test_support.h"
#include "settings/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {
namespace {

TEST(ReplaceExtension, ReplacesOnlyTheLastNamesExtension)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"build/quillo", ".ini", "build/quillo.ini"},
        {"/a.b/prog", ".ini", "/a.b/prog.ini"},
        {"/opt/quillo.bin", ".ini", "/opt/quillo.ini"},
        {"/opt/quillo.tar.gz", ".lst", "/opt/quillo.tar.lst"},
        {"/opt/prog.", ".ini", "/opt/prog.ini"},
        {"/opt/c:prog", ".ini", "/opt/c:prog.ini"},
        {"/opt/a.b:c", ".ini", "/opt/a.ini"},
        {"/opt/a.b\\c", ".lst", "/opt/a.lst"},
        {"/opt/", ".ini", "/opt/.ini"},
        {"quillo", ".lst", "quillo.lst"},
        {"", ".ini", ".ini"},
    };
    for (const auto& [path, extension, expected] : cases)
        EXPECT_EQ(ReplaceExtension(path, extension), expected) << path;
}

// The build folder is writable and not the install prefix's bin folder.
TEST(SettingsFile, LiesBesideTheRunningProgramInTheBuildFolder)
{
    const std::string program = ExecutablePath();
    EXPECT_EQ(SettingsFile(), program + ".ini");
    EXPECT_EQ(ListFile(), program + ".lst");
}

struct PlaceCase {
    const char* name;
    const char* executable;
    bool folderWritable;
    std::optional<std::string> xdgConfigHome;
    const char* home;
    const char* settings; // the ".ini" file
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class ProgramFilePlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(ProgramFilePlace, BesideTheProgramOrInTheUsersConfigFolder)
{
    const PlaceCase& c = GetParam();
    const ProgramPlace place{c.executable, "/usr/local/bin", c.folderWritable, c.xdgConfigHome, c.home};
    EXPECT_EQ(ProgramFile(place, ".ini"), c.settings);
    // The list file goes where the settings file goes, with its own extension.
    EXPECT_EQ(ProgramFile(place, ".lst"), ReplaceExtension(c.settings, ".lst"));
}

INSTANTIATE_TEST_SUITE_P(
    Places, ProgramFilePlace,
    testing::Values(
        PlaceCase{"BuildFolder", "/home/ann/quillo/build/quillo", true, std::nullopt, "/home/ann",
                  "/home/ann/quillo/build/quillo.ini"},
        PlaceCase{"CopyInTheUsersFolder", "/home/ann/bin/quillo", true, "/home/ann/cfg", "/home/ann",
                  "/home/ann/bin/quillo.ini"},
        PlaceCase{"InstalledPlace", "/usr/local/bin/quillo", false, std::nullopt, "/home/ann",
                  "/home/ann/.config/quillo/quillo.ini"},
        PlaceCase{"InstalledPlaceWritableForRoot", "/usr/local/bin/quillo", true, std::nullopt, "/root",
                  "/root/.config/quillo/quillo.ini"},
        PlaceCase{"NonWritableFolder", "/opt/tools/quillo", false, std::nullopt, "/home/ann",
                  "/home/ann/.config/quillo/quillo.ini"},
        PlaceCase{"XdgConfigHomeSet", "/usr/local/bin/quillo", false, "/home/ann/cfg", "/home/ann",
                  "/home/ann/cfg/quillo/quillo.ini"},
        PlaceCase{"XdgConfigHomeWithSlash", "/opt/tools/quillo", false, "/home/ann/cfg/", "/home/ann",
                  "/home/ann/cfg/quillo/quillo.ini"},
        PlaceCase{"XdgConfigHomeEmpty", "/usr/local/bin/quillo", false, "", "/home/ann",
                  "/home/ann/.config/quillo/quillo.ini"},
        PlaceCase{"XdgConfigHomeRelative", "/usr/local/bin/quillo", false, "cfg", "/home/ann",
                  "/home/ann/.config/quillo/quillo.ini"},
        PlaceCase{"RenamedProgramKeepsItsName", "/usr/local/bin/qsearch.bin", false, std::nullopt, "/home/ann/",
                  "/home/ann/.config/quillo/qsearch.ini"},
        PlaceCase{"SubfolderOfTheBinFolder", "/usr/local/bin/old/quillo", true, std::nullopt, "/home/ann",
                  "/usr/local/bin/old/quillo.ini"},
        PlaceCase{"NoHomeAndNoXdgStaysBeside", "/opt/tools/quillo", false, std::nullopt, "",
                  "/opt/tools/quillo.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserConfigFolder, RootFolderAsConfigHome)
{
    EXPECT_EQ(UserConfigFolder(std::string("/"), "/home/ann"), "/quillo");
    EXPECT_EQ(UserConfigFolder(std::nullopt, "/"), "/.config/quillo");
    EXPECT_EQ(UserConfigFolder(std::string("x"), "relative"), std::nullopt);
}

// HOME counts only as an absolute path; otherwise the user database says
// where the home is.
TEST(UserHome, RelativeOrMissingHomeIsTheUsersHomeFromTheDatabase)
{
    const passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    const std::string database = user->pw_dir;
    const std::pair<const char*, std::string> cases[] = {
        {"/home/ann", "/home/ann"}, {"/", "/"},         {"relative/home", database}, {".", database},
        {"~/ann", database},        {"", database},     {nullptr, database},
    };
    for (const auto& [home, expected] : cases)
        EXPECT_EQ(UserHome(home), expected) << (home ? home : "unset");
}

struct ConfigHomeCase {
    const char* name;
    std::function<std::string(const TempFolder&)> value; // XDG_CONFIG_HOME made in the folder
    bool usable;
    bool asUser; // judged by an unprivileged user (root may write any folder)
};

void PrintTo(const ConfigHomeCase& c, std::ostream* os) { *os << c.name; }

class ConfigHome : public testing::TestWithParam<ConfigHomeCase> {};

TEST_P(ConfigHome, IgnoredUnlessAnAbsolutePathToAUsableFolder)
{
    const ConfigHomeCase& c = GetParam();
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    const std::string value = c.value(folder);
    const auto judge = [&] {
        const auto usable = UsableConfigHome(value.empty() ? nullptr : value.c_str());
        if (!usable)
            return std::string("ignored");
        return *usable == value ? std::string("usable") : "changed to " + *usable;
    };
    const bool drop = c.asUser && ::geteuid() == 0;
    EXPECT_EQ(drop ? test::InChild(judge, test::Nobody) : judge(), c.usable ? "usable" : "ignored");
}

std::string MakeFolder(const TempFolder& f, const char* name, std::filesystem::perms perms)
{
    std::filesystem::create_directories(f / name);
    std::filesystem::permissions(f / name, perms);
    return f / name;
}

std::string MakeFile(const TempFolder& f, const char* name)
{
    std::ofstream(f / name) << "not a folder";
    return f / name;
}

constexpr auto Open = std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                      std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                      std::filesystem::perms::others_exec;
constexpr auto ReadOnly = Open & ~std::filesystem::perms::owner_write;
constexpr auto WritableForAll = std::filesystem::perms::all;

INSTANTIATE_TEST_SUITE_P(
    Values, ConfigHome,
    testing::Values(
        ConfigHomeCase{"Unset", [](const TempFolder&) { return std::string(); }, false, false},
        ConfigHomeCase{"Relative", [](const TempFolder&) { return std::string("cfg"); }, false, false},
        ConfigHomeCase{"RelativeToAFolderThatIsThere", [](const TempFolder&) { return std::string("."); }, false,
                       false},
        ConfigHomeCase{"OwnFolder", [](const TempFolder& f) { return MakeFolder(f, "cfg", Open); }, true, false},
        ConfigHomeCase{"OwnFolderWithSlash", [](const TempFolder& f) { return MakeFolder(f, "cfg", Open) + "/"; },
                       true, false},
        ConfigHomeCase{"MissingFoldersMadeAtTheFirstWrite",
                       [](const TempFolder& f) { return MakeFolder(f, "cfg", Open) + "/new/deeper"; }, true, false},
        ConfigHomeCase{"LinkToAFolder",
                       [](const TempFolder& f) {
                           std::filesystem::create_directory_symlink(MakeFolder(f, "cfg", Open), f / "link");
                           return f / "link";
                       },
                       true, false},
        ConfigHomeCase{"AFile", [](const TempFolder& f) { return MakeFile(f, "cfg"); }, false, false},
        ConfigHomeCase{"BelowAFile", [](const TempFolder& f) { return MakeFile(f, "cfg") + "/sub"; }, false, false},
        ConfigHomeCase{"ReadOnlyFolder", [](const TempFolder& f) { return MakeFolder(f, "cfg", ReadOnly); }, false,
                       true},
        ConfigHomeCase{"MissingBelowAReadOnlyFolder",
                       [](const TempFolder& f) { return MakeFolder(f, "cfg", ReadOnly) + "/new"; }, false, true},
        ConfigHomeCase{"FolderWritableForAll",
                       [](const TempFolder& f) { return MakeFolder(f, "cfg", WritableForAll); }, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The running program takes both rules from its environment: a relative HOME
// and an XDG_CONFIG_HOME naming a file are not used.
TEST(CurrentProgramPlace, IgnoresARelativeHomeAndAConfigHomeThatIsAFile)
{
    TempFolder folder;
    const std::string file = MakeFile(folder, "cfg");
    const auto keep = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto home = keep("HOME"), xdg = keep("XDG_CONFIG_HOME");
    ::setenv("HOME", "relative/home", 1);
    ::setenv("XDG_CONFIG_HOME", file.c_str(), 1);
    const ProgramPlace place = CurrentProgramPlace();
    for (const auto& [name, value] : {std::pair("HOME", home), std::pair("XDG_CONFIG_HOME", xdg)})
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    EXPECT_EQ(place.xdgConfigHome, std::nullopt);
    EXPECT_EQ(place.home, ::getpwuid(::geteuid())->pw_dir);
}

} // namespace
} // namespace quillo
