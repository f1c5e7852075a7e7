#include "settings/paths.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace quillo
