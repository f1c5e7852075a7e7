// The reading rules of searched files, written out plainly over the bytes of
// a whole file: what the line readers must give, and how far into the file
// they must have looked for each line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::fuzz {

struct ModelLine {
    std::string text;
    // Bytes from the start of the file the reader has had to look at once the
    // line is read: its text, its line end, the byte after a CR (to see
    // whether an LF follows), or the byte 26 that ends the data.
    std::size_t examined = 0;
};

// The data ends at the first byte 26. Standard mode: a line ends at CR or
// CR LF, an LF is text. Unix mode: at LF, CR or CR LF. A last line without a
// line end counts; the end of the data after a line end adds none.
std::vector<ModelLine> ModelLines(std::string_view bytes, bool unixEnds);

// The block figure after the reader has looked at `examined` bytes of a file
// of `size` bytes, handed out fetchSize bytes at a time: the bytes handed out
// (never more than the file holds) divided by 128.
std::int64_t ModelPosition(std::size_t examined, std::size_t size, std::size_t fetchSize);

} // namespace quillo::fuzz
