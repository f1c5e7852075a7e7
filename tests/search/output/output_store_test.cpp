#include "search/failure.h"
#include "search/output/output_file.h"
#include "search/output/output_store.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>


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
    // What is left unused: the end of the last chunk and of the last index block.
    EXPECT_LE(store.AllocatedBytes(), bytes + 16 * count + 2 * OutputLineStore::BlockBytes);
}

// Every line keeps its text, its number and its address however many lines
// come after it: across the edges of chunks and of index blocks, with lines
// that get chunks of their own in between.
struct GrowthCase {
    const char* name;
    std::size_t lines;
    std::string (*line)(std::size_t i);
};

std::string CutAtZero(const std::string& line)
{
    return line.substr(0, line.find('\0'));
}

std::uint32_t NumberFor(std::size_t i)
{
    return static_cast<std::uint32_t>(i * 2654435761u);
}

class OutputLineStoreGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(OutputLineStoreGrowth, LinesNumbersAndAddressesStayAsAppended)
{
    const GrowthCase& c = GetParam();
    OutputLineStore store(1ULL << 34);
    std::vector<const char*> addresses;
    for (std::size_t i = 0; i < c.lines; ++i) {
        store.Append(c.line(i), NumberFor(i));
        addresses.push_back(store.Line(i).data());
    }
    ASSERT_EQ(store.Count(), c.lines);
    for (std::size_t i = 0; i < c.lines; ++i) {
        const std::string_view line = store.Line(i);
        ASSERT_EQ(line, CutAtZero(c.line(i))) << "line " << i;
        ASSERT_EQ(line.data(), addresses[i]) << "line " << i << " moved";
        ASSERT_EQ(store.LineNumber(i), NumberFor(i)) << "line " << i;
        // A shared chunk is one aligned block: no line runs over its edge.
        const auto from = reinterpret_cast<std::uintptr_t>(line.data());
        if (line.size() < 65536) {
            ASSERT_EQ(from / OutputLineStore::BlockBytes, (from + line.size()) / OutputLineStore::BlockBytes)
                << "line " << i;
        }
    }
    EXPECT_EQ(store.Line(c.lines), "");
    EXPECT_EQ(store.LineNumber(c.lines), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputLineStoreGrowth,
    ::testing::Values(
        GrowthCase{"ShortLinesOverThreeIndexBlocks", 400000, [](std::size_t i) { return "n" + std::to_string(i); }},
        GrowthCase{"EmptyLinesOverTwoIndexBlocks", 200000, [](std::size_t) { return std::string(); }},
        GrowthCase{"LinesUpToTheOwnChunkSizeFillingChunksToTheirEdges", 1000,
                   [](std::size_t i) { return std::string(1000 + i * 7919 % 64535, static_cast<char>('a' + i % 26)); }},
        GrowthCase{"LongLinesWithChunksOfTheirOwnAmongShortOnes", 3000,
                   [](std::size_t i) {
                       if (i % 100 == 99)
                           return std::string(300000 + i, 'L');
                       return std::string(i % 5000, 's') + std::to_string(i);
                   }},
        GrowthCase{"LinesCutAtAZeroByte", 5000,
                   [](std::size_t i) { return std::to_string(i) + std::string(1, '\0') + "gone" + std::string(i % 900, 'x'); }}),
    [](const ::testing::TestParamInfo<GrowthCase>& info) { return std::string(info.param.name); });

TEST(OutputLineStore, MovedStoreKeepsItsLinesWhereTheyAre)
{
    OutputLineStore from(1 << 20);
    from.Append("kept", 7);
    from.Append("also");
    const char* address = from.Line(0).data();
    OutputLineStore to(std::move(from));
    EXPECT_EQ(to.Count(), 2u);
    EXPECT_EQ(to.Line(0).data(), address);
    EXPECT_EQ(to.LineNumber(0), 7u);
    EXPECT_EQ(to.LineNumber(1), 0u);
    EXPECT_EQ(from.Count(), 0u);
    EXPECT_EQ(from.AllocatedBytes(), 0u);
    from.Append("new");
    EXPECT_EQ(from.Line(0), "new");

    from = std::move(to);
    EXPECT_EQ(from.Count(), 2u);
    EXPECT_EQ(from.Line(1), "also");
    EXPECT_EQ(to.Count(), 0u);
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
    byBytes.Append(std::string(60, 'a'), 12);
    try {
        byBytes.Append(std::string(60, 'b'));
        FAIL() << "a line beyond the capacity was taken";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "Unable to insert a line");
    }
    EXPECT_EQ(byBytes.Count(), 1u);
    EXPECT_EQ(byBytes.Line(0), std::string(60, 'a'));
    EXPECT_EQ(byBytes.LineNumber(0), 12u);

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
