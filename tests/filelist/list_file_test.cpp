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

TEST(ListFile, FailuresNameTheFile)
{
    TempDir dir;
    const std::string missing = (dir.Path() / "none" / "quillo.lst").string();
    try {
        WriteListFile(missing, {"a"});
        FAIL();
    } catch (const Failure& failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot create file " + missing);
    }
    for (const std::string& path : {missing, dir.Path().string()}) {
        try {
            ReadListFile(path);
            FAIL() << path;
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), "Cannot open file " + path);
        }
    }
    const std::string fifo = (dir.Path() / "fifo.lst").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(ReadListFile(fifo), Failure); // never blocks on a FIFO
}

} // namespace
} // namespace quillo::test
