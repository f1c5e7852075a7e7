#include "settings/profile_format.h"

#include <algorithm>
#include <cstring>
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

std::string_view LeadingBlanks(std::string_view s)
{
    std::size_t n = 0;
    while (n < s.size() && IsBlank(s[n]))
        ++n;
    return s.substr(0, n);
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

std::string IndexKey(std::string_view section, std::string_view key)
{
    std::string out;
    out.reserve(section.size() + key.size() + 1);
    for (const char c : Trim(section))
        out += FoldCase(c);
    out += '\n'; // no name can hold a line end
    for (const char c : Trim(key))
        out += FoldCase(c);
    return out;
}

struct Line {
    std::size_t end = 0;   // end of its text: its line end (or the file's end) follows
    std::size_t next = 0;  // first byte of the next line
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;       // section or key name, trimmed
    std::size_t valueBegin = 0;  // Key: first byte of the value, after "=" and blanks
};

// The lines of a text one after the other, none of them kept.
class LineWalker {
public:
    explicit LineWalker(std::string_view content) : content_(content) {}

    bool Next(Line& line)
    {
        if (begin_ >= content_.size())
            return false;
        const char* base = content_.data();
        const void* lf = std::memchr(base + begin_, '\n', content_.size() - begin_);
        line.end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : content_.size();
        line.next = lf ? line.end + 1 : content_.size();
        // A CR before the LF ends the line with it; so does a CR that ends
        // the text (a CR LF whose LF is missing), so that the value before
        // it reads the same once a line is added after it.
        if (line.end > begin_ && content_[line.end - 1] == '\r')
            --line.end;
        Classify(line);
        inSection_ = inSection_ || line.kind == Line::Section;
        begin_ = line.next;
        return true;
    }

private:
    void Classify(Line& line) const
    {
        line.kind = Line::Other;
        const std::string_view text = content_.substr(begin_, line.end - begin_);
        const std::string_view trimmed = Trim(text);
        if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#')
            return;
        if (trimmed.front() == '[') {
            if (const auto close = trimmed.find(']'); close != std::string_view::npos) {
                line.kind = Line::Section;
                line.name = Trim(trimmed.substr(1, close - 1));
            }
            return;
        }
        const auto equals = text.find('=');
        if (!inSection_ || equals == std::string_view::npos)
            return;
        line.kind = Line::Key;
        line.name = Trim(text.substr(0, equals));
        std::size_t value = equals + 1;
        while (value < text.size() && IsBlank(text[value]))
            ++value;
        line.valueBegin = begin_ + value;
    }

    std::string_view content_;
    std::size_t begin_ = 0;
    bool inSection_ = false;
};

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

// One key the edits name, with what its value text becomes. Written again,
// a key's value is replaced from its first non-blank character on, so the
// leading blanks of every earlier value stay in front of the last one.
struct KeyPlan {
    std::string_view name; // as the first edit of it spells it
    std::string blanks;    // leading blanks of the earlier values
    std::string_view value;
    bool found = false;    // in the text already: its value lies in [valueBegin, end)
    std::size_t valueBegin = 0;
    std::size_t end = 0;

    std::string Text() const { return blanks + std::string(value); }
};

struct SectionPlan {
    std::string_view name;
    std::vector<KeyPlan> keys;
    bool found = false;      // the text has a section of that name
    std::size_t insertAt = 0; // after the last key line of the first one
};

template <typename T>
T* Named(std::vector<T>& plans, std::string_view name)
{
    for (T& plan : plans)
        if (SameName(plan.name, name))
            return &plan;
    return nullptr;
}

std::vector<SectionPlan> Plan(std::span<const ProfileEdit> edits)
{
    std::vector<SectionPlan> sections;
    for (const ProfileEdit& edit : edits) {
        SectionPlan* section = Named(sections, Trim(edit.section));
        if (section == nullptr)
            section = &sections.emplace_back(SectionPlan{Trim(edit.section), {}});
        if (KeyPlan* key = Named(section->keys, Trim(edit.key))) {
            key->blanks.append(LeadingBlanks(key->value));
            key->value = edit.value;
        } else {
            section->keys.push_back(KeyPlan{Trim(edit.key), {}, edit.value});
        }
    }
    return sections;
}

// The first edit that adds a line at the very end of the text: a new key of
// a section that ends the text, or a new section.
std::optional<std::size_t> FirstAddedAtEnd(std::span<const ProfileEdit> edits, std::vector<SectionPlan>& sections,
                                           std::size_t size)
{
    std::vector<const KeyPlan*> seen;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        SectionPlan* section = Named(sections, Trim(edits[i].section));
        const KeyPlan* key = Named(section->keys, Trim(edits[i].key));
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        seen.push_back(key);
        if (!key->found && (!section->found || section->insertAt == size))
            return i;
    }
    return std::nullopt;
}

// Finds where each planned key and section lies in the text.
void Locate(std::string_view content, std::vector<SectionPlan>& sections)
{
    LineWalker walker(content);
    Line line;
    SectionPlan* current = nullptr;
    bool first = false;
    while (walker.Next(line)) {
        if (line.kind == Line::Section) {
            current = Named(sections, line.name);
            first = current != nullptr && !current->found;
            if (first) {
                current->found = true;
                current->insertAt = line.next;
            }
        } else if (line.kind == Line::Key && current != nullptr) {
            for (KeyPlan& key : current->keys) {
                if (!key.found && SameName(key.name, line.name)) {
                    key.found = true;
                    key.valueBegin = line.valueBegin;
                    key.end = line.end;
                    break;
                }
            }
            if (first)
                current->insertAt = line.next;
        }
    }
}

// One change to the text: the bytes [at, until) replaced by text.
struct Splice {
    std::size_t at;
    std::size_t until;
    std::string text;
};

// The edits on a text whose new lines end with eol.
std::string ApplyEdits(std::string_view content, std::span<const ProfileEdit> edits, std::string_view eol)
{
    std::vector<SectionPlan> sections = Plan(edits);
    Locate(content, sections);
    // A last line without a line end gets one before anything is added after
    // it (an LF alone after a CR, which makes it a CR LF): the edits before
    // that moment and those after it are two different texts' edits.
    if (!content.empty() && content.back() != '\n') {
        if (const auto first = FirstAddedAtEnd(edits, sections, content.size())) {
            std::string ended = ApplyEdits(content, edits.first(*first), eol);
            ended.append(ended.back() == '\r' ? "\n" : eol);
            return ApplyEdits(ended, edits.subspan(*first), eol);
        }
    }

    std::vector<Splice> splices;
    std::string tail; // what goes after the end of the text, which ends with a line end by now
    for (const SectionPlan& section : sections) {
        std::string added;
        for (const KeyPlan& key : section.keys) {
            if (key.found)
                splices.push_back({key.valueBegin, key.end, key.Text()});
            else
                added.append(key.name).append("=").append(key.Text()).append(eol);
        }
        if (!section.found)
            tail.append("[").append(section.name).append("]").append(eol).append(added);
        else if (section.insertAt == content.size())
            tail.insert(0, added); // before any new section
        else if (!added.empty())
            splices.push_back({section.insertAt, section.insertAt, std::move(added)});
    }
    std::sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) { return a.at < b.at; });

    std::string out;
    std::size_t size = content.size() + tail.size();
    for (const Splice& s : splices)
        size += s.text.size();
    out.reserve(size);
    std::size_t done = 0;
    for (const Splice& s : splices) {
        out.append(content.substr(done, s.at - done)).append(s.text);
        done = s.until;
    }
    out.append(content.substr(done)).append(tail);
    return out;
}

} // namespace

std::optional<std::string> FindProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key)
{
    LineWalker walker(content);
    Line line;
    bool inMatch = false;
    while (walker.Next(line)) {
        if (line.kind == Line::Section)
            inMatch = SameName(line.name, Trim(section));
        else if (line.kind == Line::Key && inMatch && SameName(line.name, Trim(key)))
            return std::string(Trim(content.substr(line.valueBegin, line.end - line.valueBegin)));
    }
    return std::nullopt;
}

std::string SetProfileValue(std::string_view content, std::string_view section, std::string_view key,
                            std::string_view value)
{
    const ProfileEdit edit{std::string(section), std::string(key), std::string(value)};
    return SetProfileValues(content, std::span(&edit, 1));
}

std::string SetProfileValues(std::string_view content, std::span<const ProfileEdit> edits)
{
    for (const ProfileEdit& edit : edits)
        CheckNames(Trim(edit.section), Trim(edit.key), edit.value);
    if (edits.empty() || content.find('\n') != std::string_view::npos)
        return ApplyEdits(content, edits, LineEndOf(content));
    // A text without any line end gets its first one, an LF, from the first
    // edit; the later ones end like the line before that LF.
    const std::string first = ApplyEdits(content, edits.first(1), "\n");
    return ApplyEdits(first, edits.subspan(1), LineEndOf(first));
}

ProfileIndex::ProfileIndex(std::string_view content)
{
    LineWalker walker(content);
    Line line;
    std::string_view section;
    while (walker.Next(line)) {
        if (line.kind == Line::Section)
            section = line.name;
        else if (line.kind == Line::Key)
            values_.try_emplace(IndexKey(section, line.name),
                                Trim(content.substr(line.valueBegin, line.end - line.valueBegin)));
    }
}

std::optional<std::string_view> ProfileIndex::Find(std::string_view section, std::string_view key) const
{
    const auto at = values_.find(IndexKey(section, key));
    if (at == values_.end())
        return std::nullopt;
    return at->second;
}

void ProfileIndex::Set(std::string_view section, std::string_view key, std::string_view value)
{
    values_.insert_or_assign(IndexKey(section, key), std::string(Trim(value)));
}

} // namespace quillo
