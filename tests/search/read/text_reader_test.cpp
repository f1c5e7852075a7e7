#include "search/read/text_reader.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <tuple>

namespace quillo {
// Test parameters print as their names.
void PrintTo(FetchMode mode, std::ostream* out) { *out << (mode == FetchMode::Buffered ? "buffered" : "perBlock"); }
} // namespace quillo

namespace quillo::test {
namespace {

using Lines = std::vector<std::string>;

Lines ReadLines(const std::string& path, LineReader readLine, std::size_t fetchSize = TextBlockSize,
                FetchMode mode = FetchMode::Buffered)
{
    TextReader reader(fetchSize, mode);
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

class LineRules : public ::testing::TestWithParam<std::tuple<ByteCase, std::size_t, FetchMode>> {};

// Every byte rule, in both modes, with fetches small enough to put each line
// end across a block edge, from the read buffer and with a read() per block.
TEST_P(LineRules, BothModesGiveTheTabledLines)
{
    const auto& [c, fetch, fetchMode] = GetParam();
    TempDir dir;
    const std::string path = dir.Write("f.txt", c.bytes);
    EXPECT_EQ(ReadLines(path, &ReadDosLine, fetch, fetchMode), c.dos);
    EXPECT_EQ(ReadLines(path, &ReadUnixLine, fetch, fetchMode), c.unix);
}

INSTANTIATE_TEST_SUITE_P(Bytes, LineRules,
                         ::testing::Combine(::testing::ValuesIn(ByteCases), ::testing::Values(1, 2, 3, 5, 128),
                                            ::testing::Values(FetchMode::Buffered, FetchMode::PerBlock)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_fetch" +
                                    std::to_string(std::get<1>(info.param)) + "_" +
                                    ::testing::PrintToString(std::get<2>(info.param));
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
                                           std::make_tuple(255, 1), std::make_tuple(1000, 7)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "Bytes_" +
                                    std::to_string(std::get<1>(info.param)) + "Blocks";
                         });

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


// The reading rules taken literally, over the file's bytes in memory: blocks of
// fetchSize bytes fetched only when a character is wanted and the block is used
// up, the end of the data read as a byte 26 that is never passed.
class RuleReader {
public:
    RuleReader(const std::string& bytes, std::size_t fetchSize) : bytes_(bytes), fetchSize_(fetchSize) {}

    bool AtEnd() { return Peek() == TextEndMarker; }
    std::int64_t Position() const { return static_cast<std::int64_t>(fetched_ / TextBlockSize); }

    std::string DosLine()
    {
        std::string line;
        while (Peek() != '\r' && Peek() != TextEndMarker)
            line.push_back(static_cast<char>(Take()));
        while (Peek() != TextEndMarker)
            if (Take() == '\r') {
                if (Peek() == '\n')
                    Take();
                break;
            }
        return line;
    }

    std::string UnixLine()
    {
        std::string line;
        while (!AtEnd()) {
            const unsigned char c = Take();
            if (c == '\n')
                break;
            if (c == '\r') {
                if (Peek() == '\n')
                    Take();
                break;
            }
            line.push_back(static_cast<char>(c));
        }
        return line;
    }

private:
    unsigned char Peek()
    {
        if (next_ == block_.size()) {
            block_ = bytes_.substr(fetched_, fetchSize_);
            fetched_ += block_.size();
            next_ = 0;
            if (block_.empty())
                block_ = "\x1a";
        }
        return static_cast<unsigned char>(block_[next_]);
    }
    unsigned char Take()
    {
        const unsigned char c = Peek();
        if (c != TextEndMarker)
            ++next_;
        return c;
    }

    const std::string& bytes_;
    std::size_t fetchSize_;
    std::size_t fetched_ = 0;
    std::string block_;
    std::size_t next_ = 0;
};

// What a scan sees of a file: each line with the block figures sampled right
// after it (every line, so every ten-line refresh among them), the figures
// after the last line, and the size at open.
struct ScanView {
    std::int64_t size = 0;
    Lines lines;
    std::vector<std::int64_t> positions;
    std::int64_t endPosition = 0;
    bool operator==(const ScanView&) const = default;
};

ScanView ViewWithReader(const std::string& path, bool unixEnds, std::size_t fetchSize, FetchMode mode)
{
    TextReader reader(fetchSize, mode);
    reader.OpenText(path);
    ScanView view;
    view.size = reader.BlockSize();
    std::string spill;
    while (!reader.AtEnd()) {
        view.lines.emplace_back(unixEnds ? ReadUnixLine(reader, spill) : ReadDosLine(reader, spill));
        view.positions.push_back(reader.BlockPosition());
    }
    view.endPosition = reader.BlockPosition();
    return view;
}

ScanView ViewByTheRules(const std::string& bytes, bool unixEnds, std::size_t fetchSize)
{
    RuleReader reader(bytes, fetchSize);
    ScanView view;
    view.size = static_cast<std::int64_t>(bytes.size() / TextBlockSize);
    while (!reader.AtEnd()) {
        view.lines.push_back(unixEnds ? reader.UnixLine() : reader.DosLine());
        view.positions.push_back(reader.Position());
    }
    view.endPosition = reader.Position();
    return view;
}

// Where the first difference lies, for a readable failure.
std::string FirstDifference(const ScanView& a, const ScanView& b)
{
    if (a.size != b.size)
        return "size " + std::to_string(a.size) + " vs " + std::to_string(b.size);
    for (std::size_t i = 0; i < std::min(a.lines.size(), b.lines.size()); ++i) {
        if (a.lines[i] != b.lines[i])
            return "line " + std::to_string(i) + " of " + std::to_string(a.lines[i].size()) + " vs " +
                   std::to_string(b.lines[i].size()) + " bytes";
        if (a.positions[i] != b.positions[i])
            return "position after line " + std::to_string(i) + ": " + std::to_string(a.positions[i]) + " vs " +
                   std::to_string(b.positions[i]);
    }
    if (a.lines.size() != b.lines.size())
        return std::to_string(a.lines.size()) + " lines vs " + std::to_string(b.lines.size());
    return "end position " + std::to_string(a.endPosition) + " vs " + std::to_string(b.endPosition);
}

// A kind of random file: what its bytes are made of and where its size lies.
struct FileShape {
    const char* name;
    std::size_t longestRun;  // longest stretch of ordinary bytes between line ends
    int ctrlZPercent;        // files that hold a byte 26 somewhere
    bool endsAtEdges;        // line ends and byte 26 put right at block and buffer edges
    std::vector<std::size_t> sizeBases; // sizes lie within 3 bytes of one of these
};

void PrintTo(const FileShape& shape, std::ostream* out) { *out << shape.name; }

std::string RandomFile(const FileShape& shape, std::mt19937& random)
{
    auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const std::size_t base = shape.sizeBases[below(shape.sizeBases.size())];
    // Within 3 bytes of base, never below 0: one draw for both the test and the size.
    const std::size_t around = base + below(7);
    const std::size_t size = around < 3 ? 0 : around - 3;
    static const std::string ends[] = {"\r\n", "\n", "\r", "\r\r\n", "\n\r\n", "\n\r"};
    std::string bytes;
    while (bytes.size() < size) {
        const std::size_t run = below(shape.longestRun + 1);
        for (std::size_t i = 0; i < run; ++i) {
            const std::size_t kind = below(100);
            bytes.push_back(kind < 2    ? '\0'
                            : kind < 5  ? static_cast<char>(128 + below(128))
                            : kind < 10 ? ' '
                                        : static_cast<char>('a' + below(26)));
        }
        bytes += ends[below(std::size(ends))];
    }
    bytes.resize(size);
    if (shape.endsAtEdges) {
        // A CR as the last byte of a block or of the read buffer, with an LF,
        // another CR or an ordinary byte behind it.
        for (std::size_t edge = TextBlockSize; edge < size; edge += TextBlockSize)
            if (below(4) == 0 || edge % ReadBufferSize == 0) {
                bytes[edge - 1] = '\r';
                bytes[edge] = "\n\rx"[below(3)];
            }
    }
    if (size && static_cast<int>(below(100)) < shape.ctrlZPercent) {
        std::size_t at = below(size);
        if (shape.endsAtEdges && size > ReadBufferSize)
            at = ReadBufferSize - 1 + below(3); // just before, at or after the buffer's edge
        bytes[at] = static_cast<char>(TextEndMarker);
    }
    return bytes;
}

constexpr std::size_t Ki64 = ReadBufferSize;

const FileShape FileShapes[] = {
    {"ShortLinesAroundBlockMultiples", 12, 10, false, {0, 128, 256, 1280, 4096}},
    {"ShortLinesAroundBufferMultiples", 40, 10, false, {Ki64, 2 * Ki64, 3 * Ki64}},
    {"LinesAcrossTheBuffer", 3 * Ki64 / 2, 10, false, {Ki64, 2 * Ki64, 4 * Ki64}},
    {"MediumLinesAnySize", 300, 20, false, {1000, 50000, Ki64 + 1000, 100000}},
    {"EndsAtBlockAndBufferEdges", 200, 50, true, {128, 1024, Ki64, 2 * Ki64}},
    {"CtrlZNearTheBufferEdge", 60, 100, true, {Ki64 + 10, 2 * Ki64}},
};

// The generator keeps every size within 3 bytes of its base, whatever the
// seed, a base of 0 included.
TEST(RandomFiles, SizesStayNearTheirBaseForEverySeed)
{
    const FileShape shape{"Small", 12, 10, false, {0, 1, 2, 128}};
    for (unsigned seed = 0; seed < 500; ++seed) {
        std::mt19937 random(seed);
        const std::size_t size = RandomFile(shape, random).size();
        EXPECT_TRUE(size <= 5 || (size >= 125 && size <= 131)) << "seed " << seed << ": " << size << " bytes";
    }
}

class BufferedAgainstPerBlock : public ::testing::TestWithParam<std::tuple<FileShape, std::size_t>> {};

// Random files of every kind of line end, read as the scan reads them: from
// the read buffer, with one read() per block, and by the rules, in both line
// modes. Every line and every block figure must agree.
TEST_P(BufferedAgainstPerBlock, SameLinesAndBlockFigures)
{
    const auto& [shape, fetch] = GetParam();
    std::mt19937 random(static_cast<unsigned>(fetch) * 7919u + static_cast<unsigned>(std::strlen(shape.name)));
    TempDir dir;
    // A read() per 3-byte block is slow: fewer files there.
    const int files = fetch == TextBlockSize ? 12 : 4;
    for (int round = 0; round < files; ++round) {
        const std::string bytes = RandomFile(shape, random);
        const std::string path = dir.Write("f" + std::to_string(round) + ".txt", bytes);
        for (const bool unixEnds : {false, true}) {
            SCOPED_TRACE("file " + std::to_string(round) + " of " + std::to_string(bytes.size()) + " bytes, " +
                         (unixEnds ? "Unix" : "standard") + " mode");
            const ScanView rules = ViewByTheRules(bytes, unixEnds, fetch);
            const ScanView buffered = ViewWithReader(path, unixEnds, fetch, FetchMode::Buffered);
            const ScanView perBlock = ViewWithReader(path, unixEnds, fetch, FetchMode::PerBlock);
            ASSERT_TRUE(perBlock == rules) << "per block vs rules: " << FirstDifference(perBlock, rules);
            ASSERT_TRUE(buffered == perBlock) << "buffered vs per block: " << FirstDifference(buffered, perBlock);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RandomFiles, BufferedAgainstPerBlock,
                         ::testing::Combine(::testing::ValuesIn(FileShapes), ::testing::Values(128, 3)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_fetch" +
                                    std::to_string(std::get<1>(info.param));
                         });

// A file that changes while it is read: truncated, or rewritten with other
// bytes. The buffered reader hands out what its current fill read, up to the
// fill's end (64 KiB), and sees the change from its next fill on; a read() per
// block sees it at its next block. So the buffered reader, changed after an
// early line, reads what a read() per block reads when the same change comes
// just as it reaches the fill's end: the old bytes up to there, the new ones
// after.
struct ChangeCase {
    const char* name;
    bool rewrite;        // new bytes written from the start; else the file is only truncated
    std::size_t newSize; // the size after the change
};

void PrintTo(const ChangeCase& c, std::ostream* out) { *out << c.name; }

class ChangedMidScan : public ::testing::TestWithParam<std::tuple<ChangeCase, bool>> {};

TEST_P(ChangedMidScan, BufferedReaderSeesTheChangeAtItsNextFill)
{
    const auto& [c, unixEnds] = GetParam();
    std::mt19937 random(static_cast<unsigned>(c.newSize) + (c.rewrite ? 7u : 0u));
    const auto text = [&](std::size_t size, char letter) {
        std::string bytes;
        while (bytes.size() < size) {
            bytes.append(random() % 90, static_cast<char>(letter + random() % 3));
            bytes += std::string_view("\r\n\n\r").substr(random() % 4, random() % 2 + 1);
        }
        bytes.resize(size);
        return bytes;
    };
    // The only line end in the fill's last block is a CR LF that ends it.
    constexpr std::size_t Edge = ReadBufferSize;
    std::string before = text(3 * Edge, 'a');
    std::fill(before.begin() + Edge - 2 * TextBlockSize, before.begin() + Edge - 2, 'x');
    before.replace(Edge - 2, 2, "\r\n");
    const std::string after = c.rewrite ? text(c.newSize, 'k') : before.substr(0, c.newSize);

    TempDir dir;
    const std::string path = dir.Path() / "f.txt";
    auto change = [&] {
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(c.newSize)), 0);
        if (c.rewrite) {
            ASSERT_EQ(::pwrite(fd, after.data(), after.size(), 0), static_cast<ssize_t>(after.size()));
        }
        ::close(fd);
    };
    // Reads the file as it is written anew, changing it once changeNow says so.
    auto view = [&](FetchMode mode, const std::function<bool(TextReader&, std::size_t)>& changeNow) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << before;
        TextReader reader(TextBlockSize, mode);
        reader.OpenText(path);
        ScanView v;
        v.size = reader.BlockSize();
        std::string spill;
        bool changed = false;
        while (!reader.AtEnd()) {
            v.lines.emplace_back(unixEnds ? ReadUnixLine(reader, spill) : ReadDosLine(reader, spill));
            v.positions.push_back(reader.BlockPosition());
            if (!changed && changeNow(reader, v.lines.size())) {
                change();
                changed = true;
            }
        }
        v.endPosition = reader.BlockPosition();
        EXPECT_TRUE(changed);
        return v;
    };
    const ScanView buffered = view(FetchMode::Buffered, [](TextReader&, std::size_t lines) { return lines == 3; });
    const ScanView perBlock = view(FetchMode::PerBlock, [&](TextReader& reader, std::size_t) {
        return reader.BlockPosition() == static_cast<std::int64_t>(Edge / TextBlockSize);
    });
    std::string seen = before.substr(0, Edge);
    if (after.size() > Edge)
        seen += after.substr(Edge);
    ScanView rules = ViewByTheRules(seen, unixEnds, TextBlockSize);
    rules.size = static_cast<std::int64_t>(before.size() / TextBlockSize);
    ASSERT_TRUE(perBlock == rules) << "per block vs rules: " << FirstDifference(perBlock, rules);
    ASSERT_TRUE(buffered == perBlock) << "buffered vs per block: " << FirstDifference(buffered, perBlock);

    // Where the change reaches into the fill, a read() per block changed
    // after the same early line stops sooner or reads the new bytes sooner.
    if (c.rewrite || c.newSize < Edge) {
        const ScanView early = view(FetchMode::PerBlock, [](TextReader&, std::size_t lines) { return lines == 3; });
        EXPECT_FALSE(early == buffered);
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangedMidScan,
                         ::testing::Combine(::testing::Values(ChangeCase{"TruncatedToEmpty", false, 0},
                                                              ChangeCase{"TruncatedInsideTheFill", false, 1000},
                                                              ChangeCase{"TruncatedAtTheFillsEnd", false, ReadBufferSize},
                                                              ChangeCase{"TruncatedPastTheFill", false, 70000},
                                                              ChangeCase{"RewrittenShorter", true, 500},
                                                              ChangeCase{"RewrittenPastTheFill", true, 100000},
                                                              ChangeCase{"RewrittenLonger", true, 250000}),
                                            ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_Unix" : "_Standard");
                         });

// The reader keeps its buffer from file to file: nothing of one file shows in
// the next, neither bytes nor figures.
TEST(TextReader, ReusedReaderStartsAfreshWithEachFile)
{
    TempDir dir;
    const std::string first = dir.Write("first.txt", std::string(70000, 'a') + "\r\n" + std::string(500, 'b'));
    const std::string second = dir.Write("second.txt", "x\r\ny");
    TextReader reader;
    std::string spill;
    reader.OpenText(first);
    EXPECT_EQ(ReadDosLine(reader, spill).size(), 70000u);
    ASSERT_GT(reader.BlockPosition(), 0);
    reader.OpenText(second); // mid-file: the first file's rest is dropped
    EXPECT_EQ(reader.BlockSize(), 0);
    EXPECT_EQ(reader.BlockPosition(), 0);
    EXPECT_EQ(ReadDosLine(reader, spill), "x");
    EXPECT_EQ(ReadDosLine(reader, spill), "y");
    EXPECT_TRUE(reader.AtEnd());
    reader.CloseText();
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.BlockPosition(), -1);
}

} // namespace
} // namespace quillo::test
