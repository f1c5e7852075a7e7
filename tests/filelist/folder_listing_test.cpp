#include "filelist/folder_listing.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <unistd.h>

namespace quillo::test {
namespace {

using Names = std::vector<std::string>;

Names Sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class FolderListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Write("a.txt", "a");
        dir.Write(".hidden", "h");
        dir.Write("b.log", "b");
        dir.Write("[x].txt", "x");
        std::filesystem::create_directory(dir.Path() / "sub");
        std::filesystem::create_directory(dir.Path() / "sub.txt");
        std::filesystem::create_directory_symlink(dir.Path() / "sub", dir.Path() / "link-to-sub");
        folder = dir.Path().string();
    }
    TempDir dir;
    std::string folder;
};

TEST_F(FolderListing, FilesOnlyHiddenIncludedNoRecursion)
{
    EXPECT_EQ(Sorted(ListFolderFiles(folder)), (Names{".hidden", "[x].txt", "a.txt", "b.log"}));
    EXPECT_TRUE(ListFolderFiles(folder + "/sub").empty());
    EXPECT_TRUE(ListFolderFiles(folder + "/missing").empty());
    EXPECT_TRUE(ListFolderFiles(folder + "/a.txt").empty());
}

struct PatternCase {
    std::string pattern; // relative to the folder
    Names names;         // expected, relative to the folder
};

// The folder's own "." entry no longer decides: a pattern matches when any
// file matches.
TEST_F(FolderListing, PatternsGiveFolderPartPlusName)
{
    const PatternCase cases[] = {
        {"*", {".hidden", "[x].txt", "a.txt", "b.log"}},
        {"*.txt", {"[x].txt", "a.txt"}},
        {"?.txt", {"a.txt"}},
        {"[x].txt", {"[x].txt"}},
        {"[x]*", {"[x].txt"}},
        {"*.none", {}},
        {"sub*", {}},
        {"a.txt", {"a.txt"}},
        {"sub", {}},
        {"missing", {}},
    };
    for (const auto& c : cases) {
        Names expected;
        for (const auto& name : c.names)
            expected.push_back(folder + "/" + name);
        EXPECT_EQ(Sorted(ExpandFilePattern(folder + "/" + c.pattern)), expected) << c.pattern;
    }
}

TEST_F(FolderListing, PatternWithoutFolderGivesBareNames)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const Names names = Sorted(ExpandFilePattern("*.log"));
    std::filesystem::current_path(previous);
    EXPECT_EQ(names, (Names{"b.log"}));
}

TEST_F(FolderListing, FolderAndFileTests)
{
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(IsFolder(folder + "/link-to-sub"));
    EXPECT_FALSE(IsFolder(folder + "/a.txt"));
    EXPECT_TRUE(IsExistingFile(folder + "/a.txt"));
    EXPECT_FALSE(IsExistingFile(folder + "/sub"));
    EXPECT_FALSE(IsExistingFile(folder + "/missing"));
    EXPECT_FALSE(IsExistingFile(""));
}

} // namespace
} // namespace quillo::test
