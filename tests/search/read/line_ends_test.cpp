#include "search/read/line_ends.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace quillo::test {
namespace {

struct EndsCase {
    const char* name;
    const char* alphabet; // what the buffer is made of
};

void PrintTo(const EndsCase& c, std::ostream* os) { *os << c.name; }

class LineEndCount : public ::testing::TestWithParam<EndsCase> {};

// Counted a window or 32 bytes at a time, the line ends of any stretch of a
// buffer are those that byte by byte gives: every CR, and in Unix mode every
// LF that does not follow a CR; the last one where it lies.
TEST_P(LineEndCount, IsWhatByteByByteGives)
{
    const std::string alphabet = GetParam().alphabet;
    constexpr std::size_t Size = 20000; // stretches past 255 steps of 32 bytes
    // 64-byte aligned, with a window to spare past the end.
    auto storage = std::make_unique<unsigned char[]>(Size + 2 * 64);
    unsigned char* data = storage.get() + (64 - reinterpret_cast<std::uintptr_t>(storage.get()) % 64) % 64;
    std::mt19937 random(static_cast<unsigned>(alphabet.size()));
    for (int round = 0; round < 200; ++round) {
        for (std::size_t i = 0; i < Size + 64; ++i)
            data[i] = static_cast<unsigned char>(alphabet[random() % alphabet.size()]);
        std::size_t from = random() % Size, to = random() % (Size + 1);
        if (round % 4 == 0)
            from = 0; // the stretch can start at the buffer's first byte
        if (from > to)
            std::swap(from, to);
        for (const bool unixEnds : {false, true}) {
            std::size_t count = 0, last = 0;
            for (std::size_t i = from; i < to; ++i) {
                const bool lfAfterCr = i > 0 && data[i - 1] == '\r';
                if (data[i] == '\r' || (unixEnds && data[i] == '\n' && !lfAfterCr)) {
                    ++count;
                    last = i;
                }
            }
            // A stretch starts at a line start: never at an LF that a CR before it ends.
            if (unixEnds && from > 0 && data[from] == '\n' && data[from - 1] == '\r')
                continue;
            const EndTally tally = CountLineEnds(data, from, to, unixEnds);
            std::string where = std::to_string(from);
            where += " to ";
            where += std::to_string(to);
            where += unixEnds ? ", Unix mode" : ", standard mode";
            SCOPED_TRACE(where);
            ASSERT_EQ(tally.count, count);
            if (count > 0 && tally.lastKnown) {
                ASSERT_EQ(tally.last, last);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Buffers, LineEndCount,
                         ::testing::Values(EndsCase{"SparseEnds", "abcdefghijklmnopqrstuvwxyz \r\n"},
                                           EndsCase{"DenseEnds", "\r\n\r\nx"},
                                           EndsCase{"OnlyCrLf", "\r\n"}, EndsCase{"OnlyCr", "\r"},
                                           EndsCase{"NoEnds", "abc\x1a"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
