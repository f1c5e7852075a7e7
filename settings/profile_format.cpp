#include "settings/profile_format.h"

#include <stdexcept>
#include <vector>

namespace quillo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // end of its text: its line end (or the file's end) follows
    std::size_t next = 0;   // first byte of the next line
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;  // section or key name, trimmed
    std::size_t valueBegin = 0;  // Key: first byte of the value, after "=" and blanks
};

Line ClassifyLine(std::string_view content, std::size_t begin, std::size_t end, std::size_t next,
                  bool inSection)
{
    Line line;
    line.begin = begin;
    line.end = end;
    line.next = next;
    const std::string_view text = content.substr(begin, end - begin);
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#')
        return line;
    if (trimmed.front() == '[') {
        if (const auto close = trimmed.find(']'); close != std::string_view::npos) {
            line.kind = Line::Section;
            line.name = Trim(trimmed.substr(1, close - 1));
        }
        return line;
    }
    const auto equals = text.find('=');
    if (!inSection || equals == std::string_view::npos)
        return line;
    line.kind = Line::Key;
    line.name = Trim(text.substr(0, equals));
    std::size_t value = equals + 1;
    while (value < text.size() && IsBlank(text[value]))
        ++value;
    line.valueBegin = begin + value;
    return line;
}

std::vector<Line> SplitLines(std::string_view content)
{
    std::vector<Line> lines;
    bool inSection = false;
    std::size_t begin = 0;
    while (begin < content.size()) {
        std::size_t end = content.find('\n', begin);
        std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
        if (end == std::string_view::npos)
            end = content.size();
        else if (end > begin && content[end - 1] == '\r')
            --end;
        lines.push_back(ClassifyLine(content, begin, end, next, inSection));
        inSection = inSection || lines.back().kind == Line::Section;
        begin = next;
    }
    return lines;
}

// Where a key lives, or would be added.
struct Place {
    const Line* key = nullptr;      // the key line, when present
    const Line* section = nullptr;  // the first section of the name, when present
    const Line* last = nullptr;     // that section's last key line, else its section line
};

Place Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    Place place;
    bool inMatch = false;
    bool inFirst = false;
    for (const Line& line : lines) {
        if (line.kind == Line::Section) {
            inMatch = SameName(line.name, section);
            inFirst = inMatch && place.section == nullptr;
            if (inFirst)
                place.section = place.last = &line;
        } else if (line.kind == Line::Key && inMatch) {
            if (SameName(line.name, key)) {
                place.key = &line;
                return place;
            }
            if (inFirst)
                place.last = &line;
        }
    }
    return place;
}

std::string_view LineEndOf(std::string_view content)
{
    const auto lf = content.find('\n');
    return lf != std::string_view::npos && lf > 0 && content[lf - 1] == '\r' ? "\r\n" : "\n";
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

void CheckNames(std::string_view section, std::string_view key, std::string_view value)
{
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        throw std::invalid_argument("profile names and values cannot hold line breaks");
    if (section.find(']') != std::string_view::npos)
        throw std::invalid_argument("a profile section name cannot hold \"]\"");
    if (key.find('=') != std::string_view::npos ||
        (!key.empty() && (key.front() == '[' || key.front() == ';' || key.front() == '#')))
        throw std::invalid_argument("profile key name not storable: " + std::string(key));
}

} // namespace

std::optional<std::string> FindProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key)
{
    const auto lines = SplitLines(content);
    const Place place = Locate(lines, Trim(section), Trim(key));
    if (place.key == nullptr)
        return std::nullopt;
    return std::string(Trim(content.substr(place.key->valueBegin, place.key->end - place.key->valueBegin)));
}

std::string SetProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value)
{
    section = Trim(section);
    key = Trim(key);
    CheckNames(section, key, value);
    const auto lines = SplitLines(content);
    const Place place = Locate(lines, section, key);
    const std::string_view eol = LineEndOf(content);
    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);

    if (place.key != nullptr) {
        out.append(content.substr(0, place.key->valueBegin));
        out.append(value);
        out.append(content.substr(place.key->end));
        return out;
    }
    // Everything up to the insertion point, with a line end after it.
    const std::size_t at = place.section != nullptr ? place.last->next : content.size();
    out.append(content.substr(0, at));
    if (!out.empty() && out.back() != '\n')
        out.append(eol);
    if (place.section == nullptr)
        out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    out.append(content.substr(at));
    return out;
}

} // namespace quillo
