#include "filelist/folder_listing.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <dirent.h>
#include <linux/capability.h>
#include <sys/syscall.h>
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

// Patterns with "**" folder parts, over a real tree. Entries are compared as
// a set and in the order the walk must give: in each folder its files in the
// folder's listing order, then its folders, each in the same way.
struct TreeCase {
    const char* name;
    std::string pattern;  // below the tree's root
    bool fromInside;      // run in the root with the pattern as it is; else the root's path leads
    Names entries;        // as the pattern gives them, without the root's path
};

void PrintTo(const TreeCase& c, std::ostream* out) { *out << c.pattern; }

class RecursivePattern : public ::testing::TestWithParam<TreeCase> {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        root = dir.Path();
        for (const char* folder : {"src/.git", "src/lib/deep", "src/b", "a/b", "a/x/b/b", "empty", "locked"})
            fs::create_directories(root / folder);
        for (const char* file : {"top.txt", ".hidden.txt", "notes.md", "src/main.cpp", "src/util.cpp", "src/readme.txt",
                                 "src/.git/config.txt", "src/lib/a.cpp", "src/lib/deep/b.cpp", "src/lib/deep/[x].cpp",
                                 "src/b/in_b.c", "a/b/one.c", "a/x/y.c", "a/x/b/two.c", "a/x/b/b/three.c",
                                 "locked/secret.txt"})
            dir.Write(file, file);
        fs::create_symlink("top.txt", root / "link.txt");
        fs::create_directory_symlink(".", root / "loop");
        fs::create_directory_symlink("..", root / "src" / "up");
        fs::permissions(root / "locked", fs::perms::none);
    }
    void TearDown() override { std::filesystem::permissions(root / "locked", std::filesystem::perms::owner_all); }

    // The entries in walk order, from the listings themselves.
    Names InWalkOrder(Names entries, const std::string& lead) const
    {
        auto key = [&](const std::string& entry) {
            std::filesystem::path below = entry.substr(lead.size());
            std::vector<std::pair<int, std::size_t>> places; // files (0) before folders (1)
            std::filesystem::path folder = root;
            for (auto part = below.begin(); part != below.end(); ++part) {
                if (*part == ".")
                    continue;
                places.emplace_back(std::next(part) == below.end() ? 0 : 1, ListingIndex(folder, *part));
                folder /= *part;
            }
            return places;
        };
        std::stable_sort(entries.begin(), entries.end(),
                         [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
        return entries;
    }

    TempDir dir;
    std::filesystem::path root;

private:
    static std::size_t ListingIndex(const std::filesystem::path& folder, const std::filesystem::path& name)
    {
        std::size_t i = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename() == name)
                break;
            ++i;
        }
        return i;
    }
};

// Root may read any folder: the walk runs on a thread of its own that gives
// up the capabilities allowing that, so the locked folder is unreadable there
// too. Capabilities belong to the thread; the others keep theirs.
bool DropFolderPermissionOverride()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    return ::syscall(SYS_capset, &header, data) == 0;
}

bool CanOpenFolder(const std::filesystem::path& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir)
        ::closedir(dir);
    return dir != nullptr;
}

TEST_P(RecursivePattern, EntriesAndOrder)
{
    const TreeCase& c = GetParam();
    const std::string lead = c.fromInside ? "" : root.string() + "/";
    const auto previous = std::filesystem::current_path();
    if (c.fromInside)
        std::filesystem::current_path(root);
    bool lockedOut = false;
    Names found;
    std::thread walker([&] {
        lockedOut = DropFolderPermissionOverride() && !CanOpenFolder(root / "locked");
        if (lockedOut)
            found = ExpandFilePattern(lead + c.pattern);
    });
    walker.join();
    std::filesystem::current_path(previous);
    if (!lockedOut)
        GTEST_SKIP() << "a folder without permissions stays readable here";

    Names expected;
    for (const auto& entry : c.entries)
        expected.push_back(lead + entry);
    EXPECT_EQ(Sorted(found), Sorted(expected));
    EXPECT_EQ(found, InWalkOrder(expected, lead));
}

const Names kCppBelowSrc{"src/main.cpp", "src/util.cpp", "src/lib/a.cpp", "src/lib/deep/b.cpp", "src/lib/deep/[x].cpp"};
const Names kCBelowA{"a/b/one.c", "a/x/y.c", "a/x/b/two.c", "a/x/b/b/three.c"};

INSTANTIATE_TEST_SUITE_P(
    Tree, RecursivePattern,
    ::testing::Values(
        TreeCase{"CppBelowSrc", "src/**/*.cpp", false, kCppBelowSrc},
        // the hidden folder is walked, the link back up is not
        TreeCase{"EveryFileBelowSrc", "src/**/*", false,
                 {"src/main.cpp", "src/util.cpp", "src/readme.txt", "src/.git/config.txt", "src/lib/a.cpp",
                  "src/lib/deep/b.cpp", "src/lib/deep/[x].cpp", "src/b/in_b.c"}},
        // a link to a file is a file; the loop and the locked folder add nothing
        TreeCase{"TxtFromTheCurrentFolder", "**/*.txt", true,
                 {"top.txt", ".hidden.txt", "link.txt", "src/readme.txt", "src/.git/config.txt"}},
        TreeCase{"EveryFileOfTheTree", "**/*", false,
                 {"top.txt", ".hidden.txt", "notes.md", "link.txt", "src/main.cpp", "src/util.cpp", "src/readme.txt",
                  "src/.git/config.txt", "src/lib/a.cpp", "src/lib/deep/b.cpp", "src/lib/deep/[x].cpp",
                  "src/b/in_b.c", "a/b/one.c", "a/x/y.c", "a/x/b/two.c", "a/x/b/b/three.c"}},
        TreeCase{"DotFolderLeadsTheEntries", "./**/*.c", true,
                 {"./src/b/in_b.c", "./a/b/one.c", "./a/x/y.c", "./a/x/b/two.c", "./a/x/b/b/three.c"}},
        TreeCase{"FolderNameBelowTheWalk", "a/**/b/*.c", false, {"a/b/one.c", "a/x/b/two.c", "a/x/b/b/three.c"}},
        TreeCase{"FolderNameRightBelowTheStart", "a/**/x/*.c", false, {"a/x/y.c"}},
        // three.c can be reached in two ways and still comes once
        TreeCase{"TwoWalksInOnePattern", "**/b/**/*.c", false,
                 {"src/b/in_b.c", "a/b/one.c", "a/x/b/two.c", "a/x/b/b/three.c"}},
        TreeCase{"AdjacentWalks", "src/**/**/*.cpp", false, kCppBelowSrc},
        TreeCase{"EmptyAndDotPartsBelowTheWalk", "a/**//./*.c", false, kCBelowA},
        TreeCase{"HiddenFolderByName", "**/.git/*", false, {"src/.git/config.txt"}},
        TreeCase{"BracketStaysLiteral", "**/[x].cpp", false, {"src/lib/deep/[x].cpp"}},
        TreeCase{"StarStarAsTheLastPartIsAStar", "src/**", false, {"src/main.cpp", "src/util.cpp", "src/readme.txt"}},
        TreeCase{"StarStarInsideANameIsAStar", "src/m**.cpp", false, {"src/main.cpp"}},
        TreeCase{"StarStarInsideAFolderPartIsAName", "sr**/*.cpp", false, {}},
        TreeCase{"NoFileMatches", "**/*.none", false, {}},
        TreeCase{"StartFolderMissing", "missing/**/*", false, {}},
        TreeCase{"StartIsAFile", "top.txt/**/*", false, {}},
        TreeCase{"EmptyFolder", "empty/**/*", false, {}},
        TreeCase{"UnreadableStartFolder", "locked/**/*", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
