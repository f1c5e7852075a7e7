// The list file: read, written, read again.
//
// Input: the list file's bytes.
//
// Properties:
// - the entries are as many as the text's line ends (CR, LF or CR LF; LF CR
//   is two) up to its first zero byte, plus one for a last line without one,
//   and none of them holds a CR, an LF or a zero byte;
// - the file written holds every entry followed by CR LF, nothing else;
// - reading it again gives the same entries.
#include "filelist/list_file.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace quillo;
using namespace quillo::fuzz;

std::size_t ExpectedCount(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::size_t ends = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r')
            ++ends;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    const bool open = !text.empty() && text.back() != '\n' && text.back() != '\r';
    return ends + (open ? 1 : 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string input = WriteFile("input.lst", text);
    const std::vector<std::string> entries = ReadListFile(input);
    RequireEqual(entries, ParseListText(text), "the file reads as its text parses");
    RequireEqual<long long>(entries.size(), ExpectedCount(text), "one entry per line");
    for (const std::string& entry : entries)
        Require(entry.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
                "no entry holds a line end or a zero byte");

    const std::string output = FuzzFolder() + "/output.lst";
    WriteListFile(output, entries);
    std::string expected;
    for (const std::string& entry : entries)
        expected += entry + "\r\n";
    RequireEqual(ReadFile(output), std::optional<std::string>(expected), "each entry is written with CR LF");
    RequireEqual(ReadListFile(output), entries, "the written list reads back the same");
    return 0;
}
