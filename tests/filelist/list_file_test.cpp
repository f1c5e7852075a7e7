#include "filelist/list_file.h"
#include "search/failure.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quillo::test {
namespace {

using namespace std::string_literals;
using Entries = std::vector<std::string>;

struct ListCase {
    std::string text;
    Entries entries;
};

TEST(ListFile, LineEndsAndZeroByte)
{
    const ListCase cases[] = {
        {"", {}},
        {"a\r\nb", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\nc\r\n", {"a", "b", "c"}},
        {"a\r\rb", {"a", "", "b"}},
        {"\r\n", {""}},
        {" a b \r\n", {" a b "}},
        {"a\r\nb\0c\r\nd"s, {"a", "b"}},
        {"\0a"s, {}},
        {"\xe9t\xe9\n", {"\xe9t\xe9"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseListText(c.text), c.entries) << "text: " << c.text;
}

TEST(ListFile, SaveAndLoadGiveBackTheSameEntries)
{
    TempDir dir;
    const std::string path = (dir.Path() / "quillo.lst").string();
    const Entries entries = {"/a/b.txt", "", "/a/b.txt", " spaced ", "\xff\xfe"};
    WriteListFile(path, entries);
    EXPECT_EQ(ReadAll(path), "/a/b.txt\r\n\r\n/a/b.txt\r\n spaced \r\n\xff\xfe\r\n");
    EXPECT_EQ(ReadListFile(path), entries);

    WriteListFile(path, {});
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_TRUE(ReadListFile(path).empty());
}

// The list file's folder in the user's configuration folder is made at the
// first save.
TEST(ListFile, SaveMakesTheMissingFolder)
{
    TempDir dir;
    const std::string path = (dir.Path() / "config" / "quillo" / "quillo.lst").string();
    WriteListFile(path, {"a"});
    EXPECT_EQ(ReadAll(path), "a\r\n");
    EXPECT_EQ(std::filesystem::status(dir.Path() / "config").permissions(), std::filesystem::perms::owner_all);
}

TEST(ListFile, FailuresNameTheFile)
{
    TempDir dir;
    const std::string fifo = (dir.Path() / "fifo.lst").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string blocked = dir.Write("plain", "x") + "/quillo.lst";
    for (const std::string& path : {fifo, blocked, dir.Path().string()}) {
        try {
            WriteListFile(path, {"a"}); // never blocks on a FIFO
            FAIL() << path;
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), "Cannot create file " + path);
        }
    }
    EXPECT_EQ(ReadAll(dir.Path() / "plain"), "x");
    const std::string missing = (dir.Path() / "none" / "quillo.lst").string();
    for (const std::string& path : {missing, dir.Path().string()}) {
        try {
            ReadListFile(path);
            FAIL() << path;
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), "Cannot open file " + path);
        }
    }
    EXPECT_THROW(ReadListFile(fifo), Failure); // never blocks on a FIFO
}

// A name holding a line end would come back as several entries: the whole
// list is refused and the old file stays as it was.
TEST(ListFile, NameWithALineEndIsRefused)
{
    const struct {
        const char* name;
        std::vector<std::string> entries;
        std::string refused;
    } cases[] = {
        {"LineFeed", {"/tmp/a", "/tmp/b\nc.txt"}, "/tmp/b\nc.txt"},
        {"CarriageReturn", {"/tmp/b\rc.txt", "/tmp/a"}, "/tmp/b\rc.txt"},
        {"LineEndLast", {"/tmp/a\r\n"}, "/tmp/a\r\n"},
        {"FirstOfTwo", {"x", "a\nb", "c\nd"}, "a\nb"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.Write("quillo.lst", "/old/a.txt\r\n");
        try {
            WriteListFile(path, c.entries);
            ADD_FAILURE() << c.name;
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), "Cannot save a name holding a line end: " + c.refused) << c.name;
        }
        EXPECT_EQ(ReadAll(path), "/old/a.txt\r\n") << c.name;
        const std::string fresh = (dir.Path() / "new.lst").string();
        EXPECT_THROW(WriteListFile(fresh, c.entries), Failure) << c.name;
        EXPECT_FALSE(std::filesystem::exists(fresh)) << c.name;
    }
}

TEST(ListFile, FullDiskLeavesTheOldListWhole)
{
    TempDir dir;
    const std::string path = dir.Write("quillo.lst", "/old/a.txt\r\n/old/b.txt\r\n");
    const std::string message = FailureWithFileSizeLimit(8, [&] { WriteListFile(path, {"/new/a.txt", "/new/b.txt"}); });
    EXPECT_EQ(message, "Stream write error");
    EXPECT_EQ(ReadAll(path), "/old/a.txt\r\n/old/b.txt\r\n");
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

} // namespace
} // namespace quillo::test
