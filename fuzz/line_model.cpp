#include "fuzz/line_model.h"

#include <algorithm>

namespace quillo::fuzz {

std::vector<ModelLine> ModelLines(std::string_view bytes, bool unixEnds)
{
    const std::size_t end = std::min(bytes.find('\x1a'), bytes.size());
    const std::string_view data = bytes.substr(0, end);
    // Looking at the byte at `at` (the end of the data included, where a
    // byte 26 or nothing is found).
    auto look = [&](std::size_t at) { return std::min(at + 1, bytes.size()); };
    std::vector<ModelLine> lines;
    std::size_t at = 0;
    while (at < data.size()) {
        const std::size_t stop = std::min(data.find_first_of(unixEnds ? "\r\n" : "\r", at), data.size());
        ModelLine line{std::string(data.substr(at, stop - at)), look(stop)};
        at = stop + 1;
        if (stop < data.size() && data[stop] == '\r') {
            line.examined = look(at); // is an LF next?
            if (at < data.size() && data[at] == '\n')
                ++at;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::int64_t ModelPosition(std::size_t examined, std::size_t size, std::size_t fetchSize)
{
    const std::size_t handedOut = std::min(size, (examined + fetchSize - 1) / fetchSize * fetchSize);
    return static_cast<std::int64_t>(handedOut / 128);
}

} // namespace quillo::fuzz
