#include "settings/options.h"

#include "settings/add_folder_values.h"

#include "search/failure.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quillo {
namespace {

// "Count Lines", "Progress Indicator" and "Unix File" are on.
constexpr std::array<bool, 10> DefaultFlags{true, false, true, false, false, false, false, false, true, false};

TEST(Options, DefaultsWhenNothingIsStored)
{
    TempFolder folder;
    for (const char* content : {static_cast<const char*>(nullptr), "", "[Options]\n", "[Options]\nCount Lines=x\n"}) {
        if (content)
            WriteBytes(folder / "q.ini", content);
        const TIniFile ini(folder / "q.ini"); // reads the file as it is now
        const StoredOptions options = ReadOptions(ini);
        EXPECT_EQ(options.flags, DefaultFlags);
        EXPECT_EQ(options.defaultOperator, 0);
    }
}

// The stored form other copies of the program read: keys, order, "0"/"1".
TEST(Options, WrittenInTableOrderAndReadBack)
{
    TempFolder folder;
    const TIniFile ini(folder / "q.ini");
    StoredOptions options;
    options.flags = {false, true, false, true, true, true, true, true, true, true};
    options.defaultOperator = -1;
    WriteOptions(ini, options);
    EXPECT_EQ(ReadBytes(ini.FileName()),
              "[Options]\nCount Lines=0\nCount Words=1\nProgress Indicator=0\nTotal Clear=1\nLoad file list=1\n"
              "Case Sensitive=1\nReverse Logic=1\nSafe After=1\nUnix File=1\nOne Instance=1\nDefault Operator=-1\n");
    const StoredOptions back = ReadOptions(ini);
    EXPECT_EQ(back.flags, options.flags);
    EXPECT_EQ(back.defaultOperator, -1);
}

TEST(Options, StoredUnixFileOffIsKept)
{
    TempFolder folder;
    const TIniFile ini(folder / "q.ini");
    WriteBytes(ini.FileName(), "[Options]\nUnix File=0\n");
    auto expected = DefaultFlags;
    expected[8] = false;
    EXPECT_EQ(ReadOptions(ini).flags, expected);
}

TEST(Options, ReadOnlyFileRefusesEveryKey)
{
    TempFolder folder;
    const TIniFile ini(folder / "q.ini");
    WriteBytes(ini.FileName(), "[Options]\nCount Lines=0\n");
    ASSERT_EQ(::chmod(ini.FileName().c_str(), 0444), 0);
    try {
        WriteOptions(ini, StoredOptions{});
        ADD_FAILURE() << "write accepted";
    } catch (const Failure& failure) {
        EXPECT_EQ(std::string(failure.what()), "Unable to write to " + ini.FileName());
    }
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Options]\nCount Lines=0\n");
}

// Options and another section go to the file in one write.
TEST(Options, AddedToChangesOfOtherSections)
{
    TempFolder folder;
    const TIniFile ini(folder / "q.ini");
    WriteBytes(ini.FileName(), "[Window]\nLeft=1\n");
    StoredOptions options;
    options.flags = DefaultFlags;
    ProfileChanges changes;
    changes.SetInt("Window", "Left", 40);
    AddOptions(changes, options);
    ini.Write(changes);
    EXPECT_EQ(ReadBytes(ini.FileName()),
              "[Window]\nLeft=40\n[Options]\nCount Lines=1\nCount Words=0\nProgress Indicator=1\nTotal Clear=0\n"
              "Load file list=0\nCase Sensitive=0\nReverse Logic=0\nSafe After=0\nUnix File=1\nOne Instance=0\n"
              "Default Operator=0\n");
}

TEST(Options, OperatorSelectionForStoredValues)
{
    const std::tuple<int, int, int> cases[] = {// stored, current, selected
                                               {0, 0, 0}, {3, 0, 3}, {1, 2, 1}, {4, 0, 0}, {7, 2, 2},
                                               {2147483647, 0, 0}, {-1, 0, -1}, {-2147483647 - 1, 0, -1}};
    for (const auto& [stored, current, selected] : cases)
        EXPECT_EQ(OperatorSelection(stored, current), selected) << stored;
}

// The "Add Folder" section: what missing keys read as, and what a written
// section reads back as, empty texts and flags off included.
TEST(AddFolderSection, ReadAsStoredOrAsTheDefaults)
{
    const AddFolderValues defaults;
    EXPECT_EQ(defaults.skipFolders, ".git;.hg;.svn;node_modules");
    EXPECT_TRUE(defaults.subfolders && defaults.skipBinary);
    const struct {
        const char* name;
        const char* content;
        AddFolderValues expected;
    } cases[] = {
        {"NoFile", nullptr, defaults},
        {"NoSection", "[Options]\nCount Lines=1\n", defaults},
        {"SomeKeys", "[Add Folder]\nFolder= /src \nSubfolders=0\n",
         {"/src", "", ".git;.hg;.svn;node_modules", false, true}},
        {"EmptySkipsStayEmpty", "[Add Folder]\nSkip Folders=\nSkip Binary=0\nFile Names=*.c;*.h\n",
         {"", "*.c;*.h", "", true, false}},
        {"FlagsAsTheOptionsReadThem", "[Add Folder]\nSubfolders=x\nSkip Binary=$0\n",
         {"", "", ".git;.hg;.svn;node_modules", true, false}},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        if (c.content)
            WriteBytes(folder / "q.ini", c.content);
        EXPECT_EQ(ReadAddFolderValues(TIniFile(folder / "q.ini")), c.expected) << c.name;
    }

    TempFolder folder;
    const TIniFile ini(folder / "q.ini");
    const AddFolderValues values{"/home/u/src tree", "*.cpp; *.h", "", false, false};
    ProfileChanges changes;
    AddAddFolderValues(changes, values);
    ini.Write(changes);
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Add Folder]\nFolder=/home/u/src tree\nFile Names=*.cpp; *.h\n"
                                         "Skip Folders=\nSubfolders=0\nSkip Binary=0\n");
    EXPECT_EQ(ReadAddFolderValues(TIniFile(folder / "q.ini")), values);
}

} // namespace
} // namespace quillo
