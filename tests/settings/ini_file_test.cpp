#include "settings/ini_file.h"

#include "search/failure.h"
#include "search/test_support.h"
#include "settings/profile_format.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillo {
namespace {

namespace fs = std::filesystem;
using test::FailureWithFileSizeLimit;
using test::LeftoverTemporaries;

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
        const TIniFile fresh(name);
        EXPECT_EQ(fresh.ReadText("Options", "k", "dflt"), "dflt");
        EXPECT_EQ(fresh.ReadInt("Options", "k", -3), -3);
        EXPECT_TRUE(fresh.ReadFlag("Options", "k", true));
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

TEST_F(IniFileTest, ReadsTheFileOnceAndWritesOverWhatIsThereThen)
{
    WriteBytes(name, "[Options]\nCount Lines=0\n[Window]\nLeft=1\n");
    EXPECT_EQ(ini.ReadText("Options", "Count Lines", ""), "0");
    // Edited by hand while the program runs: reads still give what was read.
    WriteBytes(name, "[Options]\nCount Lines=7\n[Window]\nLeft=2\n");
    EXPECT_EQ(ini.ReadText("Options", "Count Lines", ""), "0");
    EXPECT_EQ(ini.ReadText("Window", "Left", ""), "1");
    // A write starts from the file as it is, and later reads see the write.
    ini.Write(ProfileChanges().SetFlag("Options", "Count Lines", true).SetInt("Options", "Default Operator", 3));
    EXPECT_EQ(ReadBytes(name), "[Options]\nCount Lines=1\nDefault Operator=3\n[Window]\nLeft=2\n");
    EXPECT_EQ(ini.ReadInt("Options", "Default Operator", 0), 3);
    EXPECT_EQ(ini.ReadText("Window", "Left", ""), "1");
}

TEST_F(IniFileTest, FullDiskRefusesTheWriteAndLeavesTheFileWhole)
{
    std::string old = "[Options]\nCount Lines=0\n";
    for (int i = 0; i < 2000; ++i)
        old += "; line " + std::to_string(i) + "\n";
    WriteBytes(name, old);
    const std::string message = FailureWithFileSizeLimit(4096, [&] { ini.WriteFlag("Options", "Count Lines", true); });
    EXPECT_EQ(message, "Unable to write to " + name);
    EXPECT_EQ(ReadBytes(name), old);
    EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"quillo.ini"});
}

// Where the settings are written: through links, into a folder made for them,
// and never into anything that is not a file.
struct TargetCase {
    const char* name;
    std::function<void(const TempFolder&)> setUp;
    const char* settings;  // the settings file's name in the folder
    const char* writtenAt; // where "[Options]\nk=new\n" lands; nullptr: refused
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

void Old(const TempFolder& f, const char* name, mode_t mode = 0644)
{
    fs::create_directories(fs::path(f / name).parent_path());
    WriteBytes(f / name, "[Options]\nk=old\n");
    ASSERT_EQ(::chmod((f / name).c_str(), mode), 0);
}
void Link(const TempFolder& f, const char* from, const char* to) { fs::create_symlink(to, f / from); }

const TargetCase TargetCases[] = {
    {"LinkWrittenAtItsTarget", [](const TempFolder& f) { Old(f, "real/quillo.ini"), Link(f, "quillo.ini", "real/quillo.ini"); },
     "quillo.ini", "real/quillo.ini"},
    {"ChainOfLinks",
     [](const TempFolder& f) {
         Old(f, "real/quillo.ini");
         Link(f, "middle", "real/quillo.ini");
         Link(f, "quillo.ini", "middle");
     },
     "quillo.ini", "real/quillo.ini"},
    {"DanglingLinkGetsItsTarget",
     [](const TempFolder& f) { fs::create_directory(f / "real"), Link(f, "quillo.ini", "real/quillo.ini"); },
     "quillo.ini", "real/quillo.ini"},
    {"MissingFoldersAreMade", [](const TempFolder&) {}, "config/quillo/quillo.ini", "config/quillo/quillo.ini"},
    {"ReadOnlyFile", [](const TempFolder& f) { Old(f, "quillo.ini", 0444); }, "quillo.ini", nullptr},
    {"OwnerReadOnlyFile", [](const TempFolder& f) { Old(f, "quillo.ini", 0400); }, "quillo.ini", nullptr},
    {"FileWithoutAnyBits", [](const TempFolder& f) { Old(f, "quillo.ini", 0); }, "quillo.ini", nullptr},
    {"Fifo", [](const TempFolder& f) { ASSERT_EQ(::mkfifo((f / "quillo.ini").c_str(), 0644), 0); }, "quillo.ini",
     nullptr},
    {"LinkToFifo",
     [](const TempFolder& f) {
         ASSERT_EQ(::mkfifo((f / "fifo").c_str(), 0644), 0);
         Link(f, "quillo.ini", "fifo");
     },
     "quillo.ini", nullptr},
    {"Folder", [](const TempFolder& f) { fs::create_directory(f / "quillo.ini"); }, "quillo.ini", nullptr},
    {"FileInPlaceOfTheFolder", [](const TempFolder& f) { WriteBytes(f / "plain", "x"); }, "plain/quillo.ini", nullptr},
};

class SettingsTarget : public testing::TestWithParam<TargetCase> {};

TEST_P(SettingsTarget, IsWrittenThroughLinksOrRefusedWhole)
{
    const TargetCase& c = GetParam();
    TempFolder folder;
    c.setUp(folder);
    const TIniFile ini(folder / c.settings);
    if (c.writtenAt == nullptr) {
        try {
            ini.WriteText("Options", "k", "new");
            ADD_FAILURE() << "write accepted";
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), "Unable to write to " + ini.FileName());
        }
        std::error_code ec;
        fs::permissions(folder / c.settings, fs::perms::owner_read, fs::perm_options::add, ec);
        if (fs::is_regular_file(folder / c.settings)) {
            EXPECT_EQ(ReadBytes(folder / c.settings), "[Options]\nk=old\n");
        }
    } else {
        ini.WriteText("Options", "k", "new");
        EXPECT_EQ(ReadBytes(folder / c.writtenAt), "[Options]\nk=new\n");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / c.writtenAt)));
        if (std::string(c.settings) != c.writtenAt) {
            EXPECT_TRUE(fs::is_symlink(folder / c.settings));
        }
        EXPECT_EQ(fs::status(fs::path(folder / c.writtenAt).parent_path()).permissions() & fs::perms::owner_all,
                  fs::perms::owner_all);
    }
    EXPECT_TRUE(LeftoverTemporaries(folder.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Names, SettingsTarget, testing::ValuesIn(TargetCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The options are written at close in one write of the file. What lands on
// disk is byte for byte what writing the keys one after the other gives.
struct BatchCase {
    const char* name;
    const char* before;  // nullptr: no file
    std::vector<ProfileEdit> edits;
};

void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.name; }

std::vector<ProfileEdit> OptionEdits(std::vector<ProfileEdit> more = {})
{
    std::vector<ProfileEdit> edits = {
        {"Options", "Count Lines", "1"},    {"Options", "Count Words", "0"},   {"Options", "Progress Indicator", "1"},
        {"Options", "Total Clear", "0"},    {"Options", "Load file list", "1"}, {"Options", "Case Sensitive", "0"},
        {"Options", "Reverse Logic", "0"},  {"Options", "Safe After", "1"},    {"Options", "Unix File", "1"},
        {"Options", "One Instance", "0"},   {"Options", "Default Operator", "-1"}};
    edits.insert(edits.end(), more.begin(), more.end());
    return edits;
}

const std::vector<ProfileEdit> WindowEdits = {
    {"Window", "Left", "10"}, {"Window", "Top", "20"}, {"Window", "Maximized", "0"}};

const BatchCase BatchCases[] = {
    {"NoFile", nullptr, OptionEdits()},
    {"EmptyFile", "", OptionEdits()},
    {"SectionWithoutLineEnd", "[Options]", OptionEdits()},
    {"SectionEndingInCr", "[Options]\r", OptionEdits()},
    {"OnlyACr", "\r", OptionEdits(WindowEdits)},
    {"EditedByHandWithCrLf",
     "; mine\r\n[Window]\r\nLeft=10\r\n[options]\r\n count lines = 0\r\nExtra=yes\r\n\r\n[Tail]\r\nx=\"y\"",
     OptionEdits()},
    {"LastKeyWithoutLineEnd", "[Options]\nCount Lines=0", OptionEdits()},
    {"LastValueEndingInCr", "[Options]\nOne Instance=1\r", OptionEdits(WindowEdits)},
    {"KeyInASecondSectionOfTheName", "[Options]\na=1\n[X]\n[options]\nSafe After=1\n", OptionEdits()},
    {"KeysBeforeAnySection", "Count Lines=0\n[Other]\nk=1\n", OptionEdits(WindowEdits)},
    {"BlankLinesAfterTheSection", "[Options]\n\n\n\n[Window]\nLeft=5\n", OptionEdits(WindowEdits)},
    {"CommentsAndOddLines", "[Options]\n;Count Lines=0\n#x\n[Options\njunk\nCount Words = 1 ; not a comment\n",
     OptionEdits()},
    {"SameKeyWrittenAgainWithBlanks", "[Options]\nk=1\n",
     {{"Options", "k", "  a"}, {"Options", "j", " x"}, {"Options", "K", " b"}, {"options", "J", "y"},
      {"Options", "k", "c"}, {"New", "n", "\t1"}, {"NEW", "N", "2"}}},
};

class SingleWrite : public testing::TestWithParam<BatchCase> {};

TEST_P(SingleWrite, GivesTheBytesOfOneWritePerKey)
{
    const BatchCase& c = GetParam();
    std::string expected = c.before ? c.before : "";
    for (const ProfileEdit& edit : c.edits)
        expected = SetProfileValue(expected, edit.section, edit.key, edit.value);
    EXPECT_EQ(SetProfileValues(c.before ? c.before : "", c.edits), expected);

    TempFolder folder;
    const TIniFile ini(folder / "quillo.ini");
    if (c.before)
        WriteBytes(ini.FileName(), c.before);
    ProfileChanges changes;
    for (const ProfileEdit& edit : c.edits)
        changes.SetText(edit.section, edit.key, edit.value);
    ini.Write(changes);
    EXPECT_EQ(ReadBytes(ini.FileName()), expected);
}

INSTANTIATE_TEST_SUITE_P(Files, SingleWrite, testing::ValuesIn(BatchCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileChanges, BadEditIsRefusedBeforeAnythingIsWritten)
{
    TempFolder folder;
    const TIniFile ini(folder / "quillo.ini");
    WriteBytes(ini.FileName(), "[Options]\nk=1\n");
    EXPECT_THROW(ini.Write(ProfileChanges().SetText("Options", "k", "2").SetText("Options", "a=b", "3")),
                 std::invalid_argument);
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Options]\nk=1\n");
}

} // namespace
} // namespace quillo
