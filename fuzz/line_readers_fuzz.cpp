// The line readers: a file read line by line as the scan reads it, in both
// modes, by every way the reader fetches its blocks, against the reading
// rules written out plainly (line_model.h), so that the buffered reader and
// plain 128-byte reads give the same lines and block figures.
//
// Input: control bytes, then after a PartSeparator the bytes of a file, and
// after another those of a second file that the same reader opens next.
// Control byte 0 picks a fetch size from 1 to 128 besides 128; byte 1, when
// 1 more than a multiple of 4, has the first file read again with its bytes
// repeated past 64 KiB (the reader's buffer), up to 8 KiB more.
//
// Properties, for blocks cut from the read buffer and for a read() per block
// (plain 128-byte reads), each with 128 bytes and with the other fetch size,
// in both modes:
// - the lines are the rules' lines, and a file yields exactly that many;
// - after every tenth line (where the scan samples it) and after the last,
//   the block position is what blocks of that size handed out up to the
//   bytes the line needed give; the block size is the file's size / 128;
// - at the end: another line is empty, characters are 26, figures stay;
//   after closing both figures are -1;
// - character by character the reader gives the data up to the first 26.
#include "fuzz/fuzz_support.h"
#include "fuzz/line_model.h"
#include "search/read/text_reader.h"

#include <algorithm>
#include <initializer_list>

namespace {

using namespace quillo;
using namespace quillo::fuzz;

// How the reader under test gets its blocks.
struct Fetching {
    std::size_t fetchSize;
    FetchMode mode;
};

// The next line; valid until the reader or spill is used again.
std::string_view ReadLine(TextReader& reader, bool unixEnds, std::string& spill)
{
    spill = "stale";
    return (unixEnds ? ReadUnixLine : ReadDosLine)(reader, spill);
}

// Past the read buffer of 64 KiB.
constexpr std::size_t LargeFile = std::size_t{64} << 10;

std::string Repeated(std::string_view bytes, std::size_t size)
{
    std::string file(bytes);
    while (!bytes.empty() && file.size() < size)
        file += bytes;
    return file;
}

void CheckFile(TextReader& reader, const Fetching& fetching, const std::string& path, std::string_view bytes,
               bool unixEnds, const std::vector<ModelLine>& expected)
{
    const std::size_t size = bytes.size(), k = fetching.fetchSize;
    std::string spill;
    reader.OpenText(path);
    RequireEqual<long long>(reader.BlockSize(), static_cast<long long>(size / TextBlockSize),
                            "the block size is the file's size / 128");
    std::size_t count = 0;
    while (!reader.AtEnd()) {
        if (count == expected.size())
            Violated("a file yields the rules' lines and no more",
                     std::to_string(count) + " lines expected, then " + Show(ReadLine(reader, unixEnds, spill)));
        const ModelLine& line = expected[count++];
        RequireEqual<std::string_view>(ReadLine(reader, unixEnds, spill), line.text, "each line is the rules' line");
        if (count % 10 == 0 || count == expected.size()) // where the scan samples it, and at the last line
            RequireEqual<long long>(reader.BlockPosition(), ModelPosition(line.examined, size, k),
                                    "the block position counts the blocks the line needed");
    }
    RequireEqual<long long>(count, expected.size(), "a file yields every line of the rules");
    const std::size_t dataEnd = std::min(bytes.find('\x1a'), size);
    const std::int64_t last = ModelPosition(std::min(dataEnd + 1, size), size, k);
    RequireEqual<long long>(reader.BlockPosition(), last, "at the end the blocks up to the data's end are out");
    RequireEqual<std::string_view>(ReadLine(reader, unixEnds, spill), "", "a line read at the end is empty");
    RequireEqual<long long>(reader.TakeChar(), TextEndMarker, "at the end a character is 26");
    Require(reader.AtEnd(), "the end stays");
    RequireEqual<long long>(reader.BlockPosition(), last, "reading at the end moves nothing");
    reader.CloseText();
    RequireEqual<long long>(reader.BlockSize(), -1, "a closed reader has no size");
    RequireEqual<long long>(reader.BlockPosition(), -1, "a closed reader has no position");
}

void CheckCharacters(const Fetching& fetching, const std::string& path, std::string_view bytes)
{
    TextReader reader(fetching.fetchSize, fetching.mode);
    reader.OpenText(path);
    std::string taken;
    while (!reader.AtEnd())
        taken += static_cast<char>(reader.TakeChar());
    RequireEqual(taken, std::string(bytes.substr(0, bytes.find('\x1a'))), "characters are the data up to 26");
}

// The files one after the other with one reader (which keeps its buffer),
// in both modes, and the first file character by character, for each way of
// fetching.
void CheckReading(const std::vector<std::string>& files, std::initializer_list<Fetching> fetchings)
{
    std::vector<std::string> paths;
    std::vector<ModelLine> lines[2][2]; // [Unix mode][file]
    for (std::size_t i = 0; i < files.size(); ++i) {
        paths.push_back(WriteFile("file" + std::to_string(i), files[i]));
        for (const bool unixEnds : {false, true})
            lines[unixEnds][i] = ModelLines(files[i], unixEnds);
    }
    for (const Fetching& fetching : fetchings) {
        for (const bool unixEnds : {false, true}) {
            TextReader reader(fetching.fetchSize, fetching.mode);
            for (std::size_t i = 0; i < files.size(); ++i)
                CheckFile(reader, fetching, paths[i], files[i], unixEnds, lines[unixEnds][i]);
        }
        CheckCharacters(fetching, paths[0], files[0]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto parts = SplitParts(data, size);
    if (parts.size() < 2)
        return 0;
    const auto byte = [&](std::size_t i) { return i < parts[0].size() ? static_cast<unsigned char>(parts[0][i]) : 0; };
    const std::size_t small = static_cast<std::size_t>(byte(0)) % TextBlockSize + 1;
    std::vector<std::string> files(parts.begin() + 1, parts.begin() + std::min<std::size_t>(parts.size(), 3));
    CheckReading(files, {{TextBlockSize, FetchMode::Buffered}, {TextBlockSize, FetchMode::PerBlock},
                         {small, FetchMode::Buffered}, {small, FetchMode::PerBlock}});
    if (byte(1) % 4 == 1) // a quarter of the inputs: large files cost a thousand small ones
        CheckReading({Repeated(files[0], LargeFile + byte(1) * 31)},
                     {{TextBlockSize, FetchMode::Buffered}, {TextBlockSize, FetchMode::PerBlock}});
    return 0;
}
