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

TEST(SettingsFile, LiesBesideTheRunningProgram)
{
    const std::string file = SettingsFile();
    EXPECT_EQ(file.front(), '/');
    EXPECT_TRUE(file.ends_with("/quillo_settings_tests.ini")) << file;
}

} // namespace
} // namespace quillo
