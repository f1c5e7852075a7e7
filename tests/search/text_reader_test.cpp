#include "search/text_reader.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <tuple>

namespace quillo::test {
namespace {

using Lines = std::vector<std::string>;

Lines ReadLines(const std::string& path, LineReader readLine, std::size_t fetchSize = TextBlockSize)
{
    TextReader reader(fetchSize);
    reader.OpenText(path);
    Lines lines;
    std::string line;
    while (!reader.AtEnd())
        lines.emplace_back(readLine(reader, line));
    reader.CloseText();
    return lines;
}

struct ByteCase {
    const char* name;
    std::string bytes;
    Lines dos;
    Lines unix;
};

using namespace std::string_literals;

void PrintTo(const ByteCase& c, std::ostream* out) { *out << c.name; }

const ByteCase ByteCases[] = {
    {"CrLf", "a\r\nb", {"a", "b"}, {"a", "b"}},
    {"LoneLf", "a\nb", {"a\nb"}, {"a", "b"}},
    {"LoneCr", "a\rb", {"a", "b"}, {"a", "b"}},
    {"CrCrLf", "a\r\r\nb", {"a", "", "b"}, {"a", "", "b"}},
    {"LfCrLf", "a\n\r\nb", {"a\n", "b"}, {"a", "", "b"}},
    {"CtrlZEndsData", "a\x1a" "b\r\nc", {"a"}, {"a"}},
    {"NulIsOrdinary", "a\0b"s, {"a\0b"s}, {"a\0b"s}},
    {"CrAtEnd", "a\r", {"a"}, {"a"}},
    {"NoLineEnd", "a", {"a"}, {"a"}},
    {"Empty", "", {}, {}},
    {"CtrlZFirst", "\x1a" "abc\r\n", {}, {}},
    {"JustCrLf", "\r\n", {""}, {""}},
    {"JustLf", "\n", {"\n"}, {""}},
    {"NoEmptyLineAfterLast", "a\r\nb\r\n", {"a", "b"}, {"a", "b"}},
    {"EmptyLinesInside", "a\r\n\r\n\r\nb", {"a", "", "", "b"}, {"a", "", "", "b"}},
    {"CrThenCtrlZ", "a\r\x1a" "b", {"a"}, {"a"}},
    {"CrBcLf", "a\rbc\n", {"a", "bc\n"}, {"a", "bc"}},
    {"LfOnlyFile", "one\ntwo\nthree\n", {"one\ntwo\nthree\n"}, {"one", "two", "three"}},
    {"CrOnlyFile", "one\rtwo\rthree\r", {"one", "two", "three"}, {"one", "two", "three"}},
    {"HighBytes", "\xe9t\xe9\r\n\xff", {"\xe9t\xe9", "\xff"}, {"\xe9t\xe9", "\xff"}},
};

class LineRules : public ::testing::TestWithParam<std::tuple<ByteCase, std::size_t>> {};

// Every byte rule, in both modes, with fetches small enough to put each line
// end across a block edge.
TEST_P(LineRules, BothModesGiveTheTabledLines)
{
    const auto& [c, fetch] = GetParam();
    TempDir dir;
    const std::string path = dir.Write("f.txt", c.bytes);
    EXPECT_EQ(ReadLines(path, &ReadDosLine, fetch), c.dos);
    EXPECT_EQ(ReadLines(path, &ReadUnixLine, fetch), c.unix);
}

INSTANTIATE_TEST_SUITE_P(Bytes, LineRules,
                         ::testing::Combine(::testing::ValuesIn(ByteCases), ::testing::Values(1, 2, 3, 5, 128)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_fetch" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(TextReader, LongLineWithoutLineEndIsReturnedWhole)
{
    TempDir dir;
    std::string text(100000, 'x');
    text[50000] = '\0';
    const std::string path = dir.Write("long.txt", text);
    EXPECT_EQ(ReadLines(path, &ReadDosLine), Lines{text});
    EXPECT_EQ(ReadLines(path, &ReadUnixLine), Lines{text});
}

TEST(TextReader, ReaderAtEndGivesEmptyLineAndTakesNothing)
{
    TempDir dir;
    const std::string path = dir.Write("f.txt", "a\x1a" "b");
    for (LineReader readLine : {&ReadDosLine, &ReadUnixLine}) {
        TextReader reader;
        reader.OpenText(path);
        std::string spill;
        EXPECT_EQ(readLine(reader, spill), "a");
        ASSERT_TRUE(reader.AtEnd());
        spill = "stale";
        EXPECT_EQ(readLine(reader, spill), "");
        EXPECT_EQ(reader.TakeChar(), TextEndMarker);
        EXPECT_EQ(reader.TakeChar(), TextEndMarker);
        EXPECT_TRUE(reader.AtEnd());
    }
}

TEST(TextReader, TakeCharWalksTheDataThenKeepsGiving26)
{
    TempDir dir;
    const std::string path = dir.Write("f.txt", "ab");
    TextReader reader;
    reader.OpenText(path);
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.TakeChar(), 'a');
    EXPECT_EQ(reader.TakeChar(), 'b');
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.TakeChar(), TextEndMarker);
    EXPECT_TRUE(reader.AtEnd());
}

class BlockFigures : public ::testing::TestWithParam<std::tuple<std::size_t, std::int64_t>> {};

TEST_P(BlockFigures, SizeIsBytesOver128RoundedDown)
{
    const auto [bytes, blocks] = GetParam();
    TempDir dir;
    const std::string path = dir.Write("f.txt", std::string(bytes, 'x'));
    TextReader reader;
    reader.OpenText(path);
    EXPECT_EQ(reader.BlockSize(), blocks);
    EXPECT_EQ(reader.BlockPosition(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlockFigures,
                         ::testing::Values(std::make_tuple(0, 0), std::make_tuple(127, 0), std::make_tuple(128, 1),
                                           std::make_tuple(255, 1), std::make_tuple(1000, 7)));

TEST(TextReader, PositionCountsFetchedBlocks)
{
    TempDir dir;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "123456789\r\n"; // 1100 bytes
    text.resize(1000);
    const std::string path = dir.Write("f.txt", text);
    TextReader reader;
    reader.OpenText(path);
    ASSERT_EQ(reader.BlockSize(), 7);
    EXPECT_EQ(reader.BlockPosition(), 0); // nothing fetched at open
    reader.TakeChar();
    EXPECT_EQ(reader.BlockPosition(), 1); // the first block is fetched whole
    std::string line;
    while (!reader.AtEnd())
        ReadDosLine(reader, line);
    EXPECT_EQ(reader.BlockPosition(), 7);
}

TEST(TextReader, FileOfFourGibibytesAndMoreKeepsItsBlockCount)
{
    TempDir dir;
    const std::string path = dir.Write("sparse.bin", "");
    const std::int64_t bytes = (std::int64_t{5} << 30) + 300;
    ASSERT_EQ(::truncate(path.c_str(), bytes), 0);
    TextReader reader;
    reader.OpenText(path);
    EXPECT_EQ(reader.BlockSize(), bytes / 128);
}

TEST(TextReader, GrowingFileIsReadUpToItsEndAtEachFetch)
{
    TempDir dir;
    const std::string path = dir.Write("grow.txt", std::string(200, 'a') + "\r\n");
    TextReader reader;
    reader.OpenText(path);
    ASSERT_EQ(reader.BlockSize(), 1);
    reader.TakeChar();
    std::ofstream(path, std::ios::app | std::ios::binary) << std::string(1000, 'b') << "\r\n";
    std::string line;
    Lines lines;
    while (!reader.AtEnd())
        lines.emplace_back(ReadDosLine(reader, line));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], std::string(1000, 'b'));
    EXPECT_EQ(reader.BlockSize(), 9);
    EXPECT_EQ(reader.BlockPosition(), 9);
}

TEST(TextReader, FileHeldOpenForWritingByAnotherProgramIsRead)
{
    TempDir dir;
    const std::string path = dir.Write("held.txt", "x\r\n");
    const int writer = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(ReadLines(path, &ReadDosLine), Lines{"x"});
    ::close(writer);
}

// Anything that is not a regular file is never read: no lines, -1 blocks.
TEST(TextReader, OnlyRegularFilesAreOpened)
{
    TempDir dir;
    const std::string fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string names[] = {"", (dir.Path() / "missing.txt").string(), dir.Path().string(), fifo,
                                 "/dev/zero", "/dev/null"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TextReader reader;
        reader.OpenText(name);
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_EQ(reader.TakeChar(), TextEndMarker);
        EXPECT_EQ(reader.BlockSize(), -1);
        EXPECT_EQ(reader.BlockPosition(), -1);
        reader.CloseText();
        reader.CloseText();
    }
}

TEST(TextReader, LongNamesAreUsedWhole)
{
    TempDir dir;
    std::string folder = dir.Path().string();
    while (folder.size() < 300)
        folder += "/" + std::string(60, 'd');
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/file.txt";
    std::ofstream(path, std::ios::binary) << "found\r\n";
    EXPECT_EQ(ReadLines(path, &ReadDosLine), Lines{"found"});
}

} // namespace
} // namespace quillo::test
