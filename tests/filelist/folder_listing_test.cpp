#include "filelist/folder_listing.h"
#include "filelist/path_pattern.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <dirent.h>
#include <linux/capability.h>
#include <sys/stat.h>
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

TEST_F(FolderListing, FilesOnlyHiddenIncludedNoRecursionInNameOrder)
{
    EXPECT_EQ(ListFolderFiles(folder), (Names{".hidden", "[x].txt", "a.txt", "b.log"}));
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
        EXPECT_EQ(ExpandFilePattern(folder + "/" + c.pattern), expected) << c.pattern;
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
// a set and in the order the walk must give: in each folder its files in name
// order (byte by byte), then its folders, each in the same way.
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

    // The entries in walk order.
    static Names InWalkOrder(Names entries, const std::string& lead)
    {
        auto key = [&](const std::string& entry) {
            std::filesystem::path below = entry.substr(lead.size());
            std::vector<std::pair<int, std::string>> places; // files (0) before folders (1)
            for (auto part = below.begin(); part != below.end(); ++part)
                if (*part != ".")
                    places.emplace_back(std::next(part) == below.end() ? 0 : 1, part->string());
            return places;
        };
        std::stable_sort(entries.begin(), entries.end(),
                         [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
        return entries;
    }

    TempDir dir;
    std::filesystem::path root;
};

// Root may read any folder and act as any file's owner: the walk runs on a
// thread of its own that gives up the capabilities allowing that, so the
// locked folder is unreadable there too, and root is the owner of its own
// files only. Capabilities belong to the thread; the others keep theirs.
bool DropPermissionOverrides()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
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
        lockedOut = DropPermissionOverrides() && !CanOpenFolder(root / "locked");
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

std::string Repeated(const std::string& text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
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
        TreeCase{"TenThousandAdjacentWalks", "src/" + Repeated("**/", 10000) + "./**/*.cpp", false, kCppBelowSrc},
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


// Adjacent "**" parts are kept as one, whatever lies between them that
// names no folder, so that a pattern of many of them walks the tree once.
TEST(PathPatternParts, AdjacentWalksAreOne)
{
    const struct {
        std::string pattern;
        Names parts;
    } cases[] = {
        {"a/**/**/b/*.c", {"**", "b"}},
        {"a/**/.//**/**/b/**/*.c", {"**", "b", "**"}},
        {Repeated("**/", 10000) + "*", {"**"}},
        {"**/b/**/b/*", {"**", "b", "**", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathPattern(c.pattern).FolderParts(), c.parts) << c.pattern.substr(0, 40);
}

// The folder tree listing of "Add Folder", over one real tree:
//   .hidden.cpp A.h Z.cpp [x].cpp a.cpp b.txt empty.txt
//   bin8191.dat (a zero byte at 8191: binary)  bin8192.dat (at 8192: text)
//   link-to-file.cpp -> a.cpp   link-to-dir -> sub   dangling.cpp -> missing
//   fifo.cpp (a named pipe)     locked-file.cpp (no permissions)
//   .git/config.cpp  a-dir/h.cpp  locked/y.cpp (no permissions)
//   node_modules/x.cpp  sub/c.cpp sub/.git/e.cpp sub/deep/d.cpp  z-dir/g.cpp
// Z.cpp and sub/c.cpp belong to another user where the test may give them
// away (as root): a file is looked into without touching its access time,
// which only its owner may ask for, and the others must be read all the same.
struct TreeListingCase {
    const char* name;
    std::string start; // below the tree's root
    std::string fileNames;
    std::string skipFolders;
    bool subfolders;
    bool skipBinary;
    Names entries; // below the tree's root, in the order listed
};

void PrintTo(const TreeListingCase& c, std::ostream* out) { *out << c.name; }

const std::string kDefaultSkips = ".git;.hg;.svn;node_modules";
const Names kRootFiles{".hidden.cpp", "A.h",       "Z.cpp",     "[x].cpp",         "a.cpp",
                       "b.txt",       "bin8192.dat", "empty.txt", "link-to-file.cpp"};
const Names kBelowDefault{"a-dir/h.cpp", "sub/c.cpp", "sub/deep/d.cpp", "z-dir/g.cpp"};

Names Joined(Names a, const Names& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr uid_t AnotherUser = 65534; // "nobody"

class TreeListing : public ::testing::TestWithParam<TreeListingCase> {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        root = dir.Path();
        for (const char* folder : {".git", "a-dir", "locked", "node_modules", "sub/.git", "sub/deep", "z-dir"})
            fs::create_directories(root / folder);
        for (const char* file : {".hidden.cpp", "A.h", "Z.cpp", "[x].cpp", "a.cpp", "b.txt", "locked-file.cpp",
                                 ".git/config.cpp", "a-dir/h.cpp", "locked/y.cpp", "node_modules/x.cpp", "sub/c.cpp",
                                 "sub/.git/e.cpp", "sub/deep/d.cpp", "z-dir/g.cpp"})
            dir.Write(file, file);
        dir.Write("empty.txt", "");
        std::string binary(BinaryProbeBytes + 100, 'x');
        binary[BinaryProbeBytes - 1] = '\0';
        dir.Write("bin8191.dat", binary);
        binary[BinaryProbeBytes - 1] = 'x';
        binary[BinaryProbeBytes] = '\0';
        dir.Write("bin8192.dat", binary);
        fs::create_symlink("a.cpp", root / "link-to-file.cpp");
        fs::create_directory_symlink("sub", root / "link-to-dir");
        fs::create_symlink("missing", root / "dangling.cpp");
        ASSERT_EQ(::mkfifo((root / "fifo.cpp").c_str(), 0644), 0);
        fs::permissions(root / "locked", fs::perms::none);
        fs::permissions(root / "locked-file.cpp", fs::perms::none);
        for (const char* file : {"Z.cpp", "sub/c.cpp"})
            (void)::chown((root / file).c_str(), AnotherUser, AnotherUser); // as root only
    }
    void TearDown() override { std::filesystem::permissions(root / "locked", std::filesystem::perms::owner_all); }

    TempDir dir;
    std::filesystem::path root;
};

TEST_P(TreeListing, EntriesInNameOrder)
{
    const TreeListingCase& c = GetParam();
    const FolderTreeOptions options{c.fileNames, c.skipFolders, c.subfolders, c.skipBinary};
    const std::string start = root.string() + "/" + c.start;
    bool lockedOut = false;
    bool complete = false;
    Names found;
    std::thread lister([&] {
        lockedOut = DropPermissionOverrides() && !CanOpenFolder(root / "locked");
        if (lockedOut)
            complete = ListFolderTree(start, options, found);
    });
    lister.join();
    if (!lockedOut)
        GTEST_SKIP() << "a folder without permissions stays readable here";
    std::string lead = start;
    while (lead.size() > 1 && lead.back() == '/')
        lead.pop_back();
    Names expected;
    for (const auto& entry : c.entries)
        expected.push_back(lead + "/" + entry);
    EXPECT_TRUE(complete);
    EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tree, TreeListing,
    ::testing::Values(
        // hidden files kept, bytes order ("[" between "Z" and "a"), the
        // binary file, pipe, dangling link, unreadable file and folder, link
        // to a folder and the skipped folders at every depth left out
        TreeListingCase{"EveryFileDefaultSkips", "", "", kDefaultSkips, true, true, Joined(kRootFiles, kBelowDefault)},
        TreeListingCase{"StarIsEveryFile", "", "*", kDefaultSkips, true, true, Joined(kRootFiles, kBelowDefault)},
        TreeListingCase{"TwoMasks", "", "*.cpp;*.h", kDefaultSkips, true, true,
                        Joined({".hidden.cpp", "A.h", "Z.cpp", "[x].cpp", "a.cpp", "link-to-file.cpp"}, kBelowDefault)},
        TreeListingCase{"BlanksAndEmptyMasks", "", " *.h ;; b.* ", kDefaultSkips, true, true, {"A.h", "b.txt"}},
        TreeListingCase{"BracketIsLiteral", "", "[x].cpp", kDefaultSkips, true, true, {"[x].cpp"}},
        TreeListingCase{"QuestionMark", "", "?.cpp", kDefaultSkips, true, true,
                        {"Z.cpp", "a.cpp", "a-dir/h.cpp", "sub/c.cpp", "sub/deep/d.cpp", "z-dir/g.cpp"}},
        TreeListingCase{"NoMatch", "", "*.none", kDefaultSkips, true, true, {}},
        TreeListingCase{"NoSubfolders", "", "", kDefaultSkips, false, true, kRootFiles},
        TreeListingCase{"BinaryKept", "", "*.dat", kDefaultSkips, true, false, {"bin8191.dat", "bin8192.dat"}},
        TreeListingCase{"NothingSkipped", "", "*.cpp", "", true, true,
                        {".hidden.cpp", "Z.cpp", "[x].cpp", "a.cpp", "link-to-file.cpp", ".git/config.cpp",
                         "a-dir/h.cpp", "node_modules/x.cpp", "sub/c.cpp", "sub/.git/e.cpp", "sub/deep/d.cpp",
                         "z-dir/g.cpp"}},
        TreeListingCase{"SkippedAtDepth", "", "*.cpp", ".git; deep", true, true,
                        {".hidden.cpp", "Z.cpp", "[x].cpp", "a.cpp", "link-to-file.cpp", "a-dir/h.cpp",
                         "node_modules/x.cpp", "sub/c.cpp", "z-dir/g.cpp"}},
        TreeListingCase{"SkipMaskWithWildcard", "", "*.cpp", "*-dir;.*;node_modules", true, true,
                        {".hidden.cpp", "Z.cpp", "[x].cpp", "a.cpp", "link-to-file.cpp", "sub/c.cpp",
                         "sub/deep/d.cpp"}},
        // the folder named is entered even when a skip mask matches its name
        TreeListingCase{"StartIsNotSkipped", "sub", "", "sub;.git", true, true, {"c.cpp", "deep/d.cpp"}},
        TreeListingCase{"StartWithSlashes", "sub//", "", kDefaultSkips, true, true, {"c.cpp", "deep/d.cpp"}},
        TreeListingCase{"StartIsALinkToAFolder", "link-to-dir", "", kDefaultSkips, true, true,
                        {"c.cpp", "deep/d.cpp"}},
        TreeListingCase{"StartUnreadable", "locked", "", "", true, true, {}},
        TreeListingCase{"StartMissing", "missing", "", "", true, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Stopped by its progress, a listing keeps what it found until then: the
// first entries of the whole listing.
TEST(TreeListingProgress, StopKeepsTheFirstEntries)
{
    TempDir dir;
    for (int folder = 0; folder < 3; ++folder) {
        const std::string folderName = std::string("d").append(std::to_string(folder));
        std::filesystem::create_directory(dir.Path() / folderName);
        for (int file = 0; file < 300; ++file)
            dir.Write(folderName + "/f" + std::to_string(file), "text");
    }
    Names all;
    int calls = 0;
    ASSERT_TRUE(ListFolderTree(dir.Path().string(), {}, all, [&](std::size_t) { return ++calls > 0; }));
    EXPECT_EQ(all.size(), 900u);
    EXPECT_GE(calls, 3);

    Names stopped;
    std::vector<std::size_t> told;
    EXPECT_FALSE(ListFolderTree(dir.Path().string(), {}, stopped, [&](std::size_t found) {
        told.push_back(found);
        return told.size() < 2;
    }));
    ASSERT_EQ(told.size(), 2u);
    EXPECT_LT(told[0], told[1]);
    EXPECT_EQ(stopped.size(), told[1]);
    EXPECT_EQ(stopped, Names(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(stopped.size())));

    Names fromPattern;
    EXPECT_FALSE(ExpandFilePattern(dir.Path().string() + "/**/*", fromPattern, [](std::size_t) { return false; }));
    EXPECT_LT(fromPattern.size(), all.size());
    EXPECT_EQ(fromPattern, Names(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(fromPattern.size())));
}

} // namespace
} // namespace quillo::test
