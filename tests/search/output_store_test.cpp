#include "search/failure.h"
#include "search/output_file.h"
#include "search/output_store.h"
#include "test_support.h"

#include <gtest/gtest.h>


namespace quillo::test {
namespace {

using namespace std::string_literals;

TEST(OutputLineStore, KeepsLinesInOrderUpToTheirFirstZeroByte)
{
    OutputLineStore store(1 << 20);
    store.Append("first");
    store.Append("");
    store.Append("ab\0cd"s);
    store.Append("\xe9t\xe9");
    ASSERT_EQ(store.Count(), 4u);
    EXPECT_EQ(store.Line(0), "first");
    EXPECT_EQ(store.Line(1), "");
    EXPECT_EQ(store.Line(2), "ab");
    EXPECT_EQ(store.Line(3), "\xe9t\xe9");
    store.Clear();
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.AllocatedBytes(), 0u);
    store.Append("again");
    EXPECT_EQ(store.Line(0), "again");
}

// Many short lines across chunk and index-block edges, with long lines that
// get chunks of their own in between.
TEST(OutputLineStore, ManyLinesOfMixedLengthsStayIntactAndCompact)
{
    OutputLineStore store(1ULL << 32);
    std::uint64_t bytes = 0;
    std::size_t count = 0;
    auto lineFor = [](std::size_t i) {
        if (i % 50000 == 7)
            return std::string(200000 + i % 13, static_cast<char>('a' + i % 26));
        return "line " + std::to_string(i) + std::string(i % 140, 'x');
    };
    for (std::size_t i = 0; i < 200000; ++i) {
        const std::string line = lineFor(i);
        store.Append(line);
        bytes += line.size();
        ++count;
    }
    ASSERT_EQ(store.Count(), count);
    for (std::size_t i = 0; i < count; i += 997)
        ASSERT_EQ(store.Line(i), lineFor(i)) << i;
    EXPECT_EQ(store.LineNumber(count - 1), 0u);
    EXPECT_EQ(store.Line(count - 1), lineFor(count - 1));
    EXPECT_LE(store.AllocatedBytes(), bytes + 16 * count + (3u << 20));
}

// Line numbers go with their lines across index blocks; 0 means none.
TEST(OutputLineStore, KeepsEachLinesNumber)
{
    OutputLineStore store(1ULL << 30);
    const std::size_t count = 3 * 65536 + 5;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 3 == 0)
            store.Append("header");
        else
            store.Append("found " + std::to_string(i), static_cast<std::uint32_t>(i * 7 + 1));
    }
    for (std::size_t i = 0; i < count; i += 101) {
        ASSERT_EQ(store.LineNumber(i), i % 3 == 0 ? 0u : static_cast<std::uint32_t>(i * 7 + 1)) << i;
        ASSERT_EQ(store.Line(i), i % 3 == 0 ? "header" : "found " + std::to_string(i));
    }
    store.Append("last", UINT32_MAX);
    EXPECT_EQ(store.LineNumber(count), UINT32_MAX);
    EXPECT_EQ(store.LineNumber(count + 1), 0u);
    store.Clear();
    store.Append("again", 5);
    EXPECT_EQ(store.LineNumber(0), 5u);
}

TEST(OutputLineStore, RefusesLinesBeyondItsCapacity)
{
    OutputLineStore byBytes(100);
    byBytes.Append(std::string(60, 'a'));
    try {
        byBytes.Append(std::string(60, 'b'));
        FAIL() << "a line beyond the capacity was taken";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "Unable to insert a line");
    }
    EXPECT_EQ(byBytes.Count(), 1u);

    OutputLineStore byLines(1 << 20, 3);
    for (int i = 0; i < 3; ++i)
        byLines.Append("x");
    EXPECT_THROW(byLines.Append("x"), Failure);
    byLines.Clear();
    EXPECT_NO_THROW(byLines.Append("x"));
}

TEST(OutputFile, EveryLineEndsWithCrLf)
{
    TempDir dir;
    OutputLineStore store(1 << 30);
    const std::string path = (dir.Path() / "out.txt").string();

    SaveOutputFile(store, path);
    EXPECT_EQ(ReadAll(path), "");

    store.Append("a");
    store.Append("b");
    SaveOutputFile(store, path);
    EXPECT_EQ(ReadAll(path), "a\r\nb\r\n");

    const std::string longLine(5000000, 'z');
    store.Append(longLine);
    store.Append("");
    SaveOutputFile(store, path);
    EXPECT_EQ(ReadAll(path), "a\r\nb\r\n" + longLine + "\r\n\r\n");
}

TEST(OutputFile, FileThatCannotBeCreatedIsReportedWithItsName)
{
    TempDir dir;
    OutputLineStore store(1 << 20);
    store.Append("a");
    const std::string path = (dir.Path() / "no-such-folder" / "out.txt").string();
    try {
        SaveOutputFile(store, path);
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot create file " + path);
    }
}

} // namespace
} // namespace quillo::test
