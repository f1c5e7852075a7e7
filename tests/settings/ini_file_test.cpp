#include "settings/ini_file.h"

#include "search/failure.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillo {
namespace {

namespace fs = std::filesystem;

struct IntCase {
    const char* text;
    int def;
    int expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << '"' << c.text << "\" default " << c.def; }

class ParseProfileIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(ParseProfileIntTest, ParsesTheWholeTextOrGivesTheDefault)
{
    EXPECT_EQ(ParseProfileInt(GetParam().text, GetParam().def), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseProfileIntTest, testing::Values(
    IntCase{"", 7, 7}, IntCase{"0", 7, 0}, IntCase{"1", 0, 1}, IntCase{"+5", 0, 5}, IntCase{"-0", 7, 0},
    IntCase{"0007", 0, 7}, IntCase{" 7", 0, 7}, IntCase{"\t 7", 0, 7}, IntCase{"7 ", 0, 0}, IntCase{"   ", 3, 3},
    IntCase{"2147483647", 0, 2147483647}, IntCase{"2147483648", 9, 9},
    IntCase{"-2147483648", 0, -2147483647 - 1}, IntCase{"-2147483649", 9, 9},
    IntCase{"99999999999999999999", 9, 9}, IntCase{"+", 9, 9}, IntCase{"-", 9, 9}, IntCase{"--1", 9, 9},
    IntCase{"1-", 9, 9}, IntCase{"1.0", 9, 9}, IntCase{"true", 1, 1}, IntCase{"true", 0, 0},
    IntCase{"on", 0, 0}, IntCase{"yes", 0, 0},
    // hexadecimal
    IntCase{"$1", 0, 1}, IntCase{"$ff", 0, 255}, IntCase{"$7FFFFFFF", 0, 2147483647},
    IntCase{"$80000000", 0, -2147483647 - 1}, IntCase{"$FFFFFFFF", 0, -1}, IntCase{"$000000000001", 0, 1},
    IntCase{"$100000000", 9, 9}, IntCase{"$", 9, 9}, IntCase{"$G", 9, 9}, IntCase{"-$1", 9, 9},
    IntCase{"+$1", 9, 9}, IntCase{"$-1", 9, 9}, IntCase{" $10", 0, 16}, IntCase{"$10 ", 9, 9},
    IntCase{"0x0", 1, 0}, IntCase{"0X1f", 0, 31}, IntCase{"0xFFFFFFFF", 0, -1}, IntCase{"0x", 9, 9},
    IntCase{"0X", 9, 9}, IntCase{"0x-1", 9, 9}, IntCase{"00x1", 9, 9}, IntCase{" 0x1", 9, 9},
    IntCase{"x1", 9, 9}, IntCase{"0$1", 9, 9}));

class IniFileTest : public testing::Test {
protected:
    TempFolder folder;
    std::string name = folder / "quillo.ini";
    TIniFile ini{name};

    static void ExpectRefused(const TIniFile& file)
    {
        try {
            file.WriteText("Options", "Count Lines", "0");
            ADD_FAILURE() << "write accepted";
        } catch (const Failure& failure) {
            EXPECT_STREQ(failure.what(), ("Unable to write to " + file.FileName()).c_str());
        }
    }
    std::vector<std::string> Entries(const fs::path& path) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(IniFileTest, FlagsAndIntegersReadThroughTheFile)
{
    WriteBytes(name, "[Options]\nA=0x0\nB=0x\nC=$1\nD=2\nE=-1\nF=true\nG= 7 \nH=\n");
    const std::pair<const char*, bool> flags[] = {
        {"A", false}, {"B", true}, {"C", true}, {"D", true}, {"E", true}, {"F", true}, {"H", true}, {"Z", true}};
    for (const auto& [key, on] : flags)
        EXPECT_EQ(ini.ReadFlag("Options", key, true), on) << key;
    EXPECT_FALSE(ini.ReadFlag("Options", "F", false));
    EXPECT_EQ(ini.ReadInt("options", "g", 0), 7); // blanks around a value belong to the format
    EXPECT_EQ(ini.ReadInt("Options", "B", 5), 5);
}

TEST_F(IniFileTest, DefaultsWithoutFileEmptyFileOrFolder)
{
    for (const char* content : {static_cast<const char*>(nullptr), "", "[Other]\nk=1\n"}) {
        if (content)
            WriteBytes(name, content);
        EXPECT_EQ(ini.ReadText("Options", "k", "dflt"), "dflt");
        EXPECT_EQ(ini.ReadInt("Options", "k", -3), -3);
        EXPECT_TRUE(ini.ReadFlag("Options", "k", true));
    }
    EXPECT_EQ(TIniFile(folder.path().string()).ReadText("Options", "k", "dflt"), "dflt");
}

TEST_F(IniFileTest, ReadTextGivesAtMost1023Characters)
{
    const std::string longText(2000, 'a');
    ini.WriteText("S", "long", longText + "b");
    ini.WriteText("S", "exact", std::string(1023, 'c'));
    EXPECT_EQ(ini.ReadText("S", "long", ""), std::string(1023, 'a'));
    EXPECT_EQ(ini.ReadText("S", "exact", ""), std::string(1023, 'c'));
    EXPECT_EQ(ini.ReadText("S", "missing", longText), std::string(1023, 'a'));
}

TEST_F(IniFileTest, WritesCreateUpdateAndKeepForeignLines)
{
    ini.WriteFlag("Options", "Count Lines", true);
    ini.WriteInt("Options", "Default Operator", -1);
    EXPECT_EQ(ReadBytes(name), "[Options]\nCount Lines=1\nDefault Operator=-1\n");

    const std::string foreign = "\xef\xbb\xbf; settings\r\n[Window]\r\nLeft = 10 \r\n[options]\r\nCOUNT LINES = 1\r\n"
                                "junk line\r\n\r\n[Tail]\r\nx=\"y\"";
    WriteBytes(name, foreign);
    ini.WriteFlag("Options", "Count Lines", false);
    ini.WriteInt("Options", "Default Operator", 2147483647);
    ini.WriteText("New", "k", "v");
    EXPECT_EQ(ReadBytes(name), "\xef\xbb\xbf; settings\r\n[Window]\r\nLeft = 10 \r\n[options]\r\nCOUNT LINES = 0\r\n"
                               "Default Operator=2147483647\r\njunk line\r\n\r\n[Tail]\r\nx=\"y\"\r\n[New]\r\nk=v\r\n");
    EXPECT_EQ(ini.ReadInt("OPTIONS", "default operator", 0), 2147483647);
    EXPECT_EQ(ini.ReadText("Window", "Left", ""), "10");
}

TEST_F(IniFileTest, WriteReplacesTheFileAndKeepsItsMode)
{
    WriteBytes(name, "[Options]\n");
    ASSERT_EQ(::chmod(name.c_str(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(name.c_str(), &before), 0);
    ini.WriteText("Options", "k", "v");
    struct stat after {};
    ASSERT_EQ(::stat(name.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // a new file took the old one's place
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"quillo.ini"});

    const mode_t mask = ::umask(022);
    fs::remove(name);
    ini.WriteText("Options", "k", "v");
    ::umask(mask);
    ASSERT_EQ(::stat(name.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0644u);
}

TEST_F(IniFileTest, WriteFollowsASymbolicLink)
{
    fs::create_directory(folder / "real");
    WriteBytes(folder / "real/quillo.ini", "[Options]\nk=old\n");
    fs::create_symlink("real/quillo.ini", name);
    ini.WriteText("Options", "k", "new");
    EXPECT_TRUE(fs::is_symlink(name));
    EXPECT_EQ(ReadBytes(folder / "real/quillo.ini"), "[Options]\nk=new\n");
}

// Root passes every permission check; a file without any write bit must be
// refused all the same.
TEST_F(IniFileTest, ReadOnlyFileIsRefusedEvenForRoot)
{
    const std::string before = "[Options]\nCount Lines=1\n";
    for (const mode_t mode : {0444, 0400, 0}) {
        WriteBytes(name, before);
        ASSERT_EQ(::chmod(name.c_str(), mode), 0);
        ExpectRefused(ini);
        EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"quillo.ini"}) << "temporary file left";
        ASSERT_EQ(::chmod(name.c_str(), 0644), 0);
        EXPECT_EQ(ReadBytes(name), before) << mode;
    }
}

TEST_F(IniFileTest, FolderThatCannotTakeTheFileIsRefused)
{
    ExpectRefused(TIniFile(folder / "missing/quillo.ini"));
    WriteBytes(folder / "plain", "x");
    ExpectRefused(TIniFile(folder / "plain/quillo.ini"));
    EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"plain"});
    fs::create_directory(name); // the settings name taken by a folder
    EXPECT_THROW(ini.WriteText("Options", "k", "v"), Failure);
    EXPECT_TRUE(fs::is_directory(name));
}

// A folder without write bits stops everyone but root; root can and does write
// there, as it could create any other file in it.
TEST_F(IniFileTest, FolderWithoutWriteBitsFailsUnlessRoot)
{
    const std::string sub = folder / "locked";
    fs::create_directory(sub);
    WriteBytes(sub + "/quillo.ini", "[Options]\nk=old\n");
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    const TIniFile locked(sub + "/quillo.ini");
    if (::geteuid() == 0) {
        locked.WriteText("Options", "k", "new");
        EXPECT_EQ(ReadBytes(locked.FileName()), "[Options]\nk=new\n");
    } else {
        ExpectRefused(locked);
        EXPECT_EQ(ReadBytes(locked.FileName()), "[Options]\nk=old\n");
    }
    EXPECT_EQ(Entries(sub), std::vector<std::string>{"quillo.ini"});
}

} // namespace
} // namespace quillo
