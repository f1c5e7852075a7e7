// The settings file: parsed, every key it names read, then the options and
// some keys of its own written back the way the window closes.
//
// Input: the file's bytes, then after each PartSeparator the edits, three
// parts each: section, key, value.
//
// Properties:
// - every read agrees with a plain scan of the text (FindProfileValue), and
//   integers parse as the standard library parses them;
// - the write is refused exactly for names and values that could not read
//   back, and a refused write leaves the file as it was;
// - the file written is the text the edits give one at a time;
// - every key written reads back as written (blanks at its ends aside), from
//   a new settings object and from the one that wrote it;
// - every other key keeps its value, and every line outside the written keys
//   survives in its place; the only lines added are the new keys and sections.
#include "fuzz/fuzz_support.h"
#include "settings/ini_file.h"
#include "settings/options.h"
#include "settings/profile_format.h"

#include <charconv>
#include <map>
#include <stdexcept>

namespace {

using namespace quillo;
using namespace quillo::fuzz;

constexpr std::size_t MaxEdits = 8;
constexpr std::size_t MaxSectionNames = 8;
constexpr std::size_t MaxKeyNames = 16;
constexpr std::string_view Missing = "\x7f(missing)";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Folded(std::string_view name)
{
    std::string out(Trim(name));
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string Limited(std::string_view text) { return std::string(text.substr(0, ProfileTextLimit)); }

// The lines of a text without their LF; a final LF adds no line.
std::vector<std::string_view> LinesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        lines.push_back(text.substr(0, lf));
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
    return lines;
}

std::string_view WithoutCr(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// Names the text may hold, found loosely: what lies between "[" and "]" on a
// line, and what lies before the first "=" of a line.
struct Names {
    std::vector<std::string> sections;
    std::vector<std::string> keys;
};

Names NamesIn(std::string_view content)
{
    Names names;
    for (const std::string_view line : LinesOf(content)) {
        const std::size_t open = line.find('[');
        const std::size_t close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos && open < close &&
            names.sections.size() < MaxSectionNames)
            names.sections.emplace_back(line.substr(open + 1, close - open - 1));
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && names.keys.size() < MaxKeyNames)
            names.keys.emplace_back(line.substr(0, equals));
    }
    return names;
}

// The integer rules of the settings file, with std::from_chars doing the
// parsing: "0x"/"0X" before more text taken as "$", leading blanks, then "$"
// and hexadecimal digits fitting 32 bits, or an optional sign and decimal
// digits fitting an int; anything else gives def.
int ExpectedInt(std::string_view text, int def)
{
    std::string converted;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        converted = "$" + std::string(text.substr(2));
        text = converted;
    }
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    if (!text.empty() && text.front() == '$') {
        std::uint32_t value = 0;
        const auto [at, error] = std::from_chars(text.data() + 1, end, value, 16);
        return text.size() > 1 && error == std::errc() && at == end ? static_cast<int>(value) : def;
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return def;
    }
    int value = 0;
    const auto [at, error] = std::from_chars(text.data(), end, value, 10);
    return !text.empty() && error == std::errc() && at == end ? value : def;
}

// An edit whose names or value could not be stored so that they read back.
bool Unstorable(const ProfileEdit& edit)
{
    const std::string_view section = Trim(edit.section), key = Trim(edit.key);
    auto breaks = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    return breaks(section) || breaks(key) || breaks(edit.value) || section.find(']') != std::string_view::npos ||
           key.find('=') != std::string_view::npos ||
           (!key.empty() && (key.front() == '[' || key.front() == ';' || key.front() == '#'));
}

void CheckReads(const TIniFile& ini, std::string_view content)
{
    Names names = NamesIn(content);
    names.sections.emplace_back(OptionsSection);
    for (const OptionFlagKey& option : OptionFlagKeys)
        names.keys.emplace_back(option.key);
    names.keys.emplace_back(DefaultOperatorKey);
    for (const std::string& section : names.sections) {
        for (const std::string& key : names.keys) {
            const auto found = FindProfileValue(content, section, key);
            const std::string read = ini.ReadText(section, key, Missing);
            RequireEqual(read, Limited(found ? *found : Missing), "a read gives the key's value or the default");
            if (found)
                RequireEqual(ParseProfileInt(read, 7), ExpectedInt(read, 7), "integers parse by the rules");
        }
    }
    const StoredOptions options = ReadOptions(ini);
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i) {
        const std::string text = Limited(FindProfileValue(content, OptionsSection, OptionFlagKeys[i].key).value_or(""));
        const bool expected = ExpectedInt(text, OptionFlagKeys[i].defaultOn ? 1 : 0) != 0;
        RequireEqual<long long>(options.flags[i], expected, "a flag is on exactly when its integer is not 0");
    }
    const std::string op = Limited(FindProfileValue(content, OptionsSection, DefaultOperatorKey).value_or(""));
    RequireEqual<long long>(options.defaultOperator, ExpectedInt(op, DefaultOperatorDefault),
                            "the operator is read as an integer");
}

// An output line that an edit adds: a new section's line or a new key's.
bool IsAddedLine(std::string_view line, const std::vector<ProfileEdit>& edits)
{
    line = WithoutCr(line);
    for (const ProfileEdit& edit : edits) {
        if (line == "[" + std::string(Trim(edit.section)) + "]")
            return true;
        if (line.starts_with(std::string(Trim(edit.key)) + "="))
            return true;
    }
    return false;
}

// A key line of the input whose value an edit may have replaced: the output
// line keeps everything up to the value.
bool IsRewrittenKeyLine(std::string_view in, std::string_view out, const std::vector<ProfileEdit>& edits)
{
    const std::size_t equals = in.find('=');
    if (equals == std::string_view::npos)
        return false;
    std::size_t value = equals + 1;
    while (value < in.size() && IsBlank(in[value]))
        ++value;
    if (!out.starts_with(in.substr(0, value)))
        return false;
    const std::string name = Folded(in.substr(0, equals));
    for (const ProfileEdit& edit : edits)
        if (Folded(edit.key) == name)
            return true;
    return false;
}

void CheckLinesSurvive(std::string_view content, std::string_view written, const std::vector<ProfileEdit>& edits)
{
    const auto in = LinesOf(content), out = LinesOf(written);
    std::size_t j = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        // A last line without a line end gets one before lines are added after it.
        const bool open = i + 1 == in.size() && content.back() != '\n';
        for (;; ++j) {
            if (j == out.size())
                Violated("every line outside the written keys survives, in order",
                         "line " + std::to_string(i + 1) + " " + Show(in[i]) + " is missing from " + Show(written));
            if (out[j] == in[i] || (open && out[j] == std::string(in[i]) + "\r") ||
                IsRewrittenKeyLine(in[i], out[j], edits))
                break;
            if (!IsAddedLine(out[j], edits))
                Violated("the only lines added are new keys and sections", Show(out[j]) + " in " + Show(written));
        }
        ++j;
    }
    for (; j < out.size(); ++j)
        if (!IsAddedLine(out[j], edits))
            Violated("the only lines added are new keys and sections", Show(out[j]) + " in " + Show(written));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto parts = SplitParts(data, size);
    const std::string_view content = parts[0];
    const std::string path = WriteFile("settings.ini", content);

    const TIniFile ini(path);
    CheckReads(ini, content);

    // Written back as at close, every flag turned over, then the fuzzed keys.
    StoredOptions options = ReadOptions(ini);
    for (bool& flag : options.flags)
        flag = !flag;
    ProfileChanges changes;
    AddOptions(changes, options);
    for (std::size_t i = 1; i + 2 < parts.size() && i < 3 * MaxEdits; i += 3)
        changes.SetText(parts[i], parts[i + 1], parts[i + 2]);
    const std::vector<ProfileEdit>& edits = changes.Edits();
    bool refused = false;
    for (const ProfileEdit& edit : edits)
        refused = refused || Unstorable(edit);

    try {
        ini.Write(changes);
    } catch (const std::invalid_argument&) {
        Require(refused, "only names and values that cannot read back are refused");
        RequireEqual(ReadFile(path), std::optional<std::string>(content), "a refused write leaves the file");
        return 0;
    }
    Require(!refused, "names and values that cannot read back are refused");

    const std::string written = ReadFile(path).value_or(std::string(Missing));
    std::string oneByOne(content);
    for (const ProfileEdit& edit : edits)
        oneByOne = SetProfileValue(oneByOne, edit.section, edit.key, edit.value);
    RequireEqual(written, oneByOne, "the file holds what the edits give one at a time");

    // The last value written to each key, by folded names.
    std::map<std::string, const ProfileEdit*> last;
    for (const ProfileEdit& edit : edits)
        last[Folded(edit.section) + "\n" + Folded(edit.key)] = &edit;
    const TIniFile fresh(path);
    for (const auto& [name, edit] : last) {
        const std::string expected(Trim(edit->value));
        RequireEqual(FindProfileValue(written, edit->section, edit->key), std::optional<std::string>(expected),
                     "a written key reads back");
        RequireEqual(fresh.ReadText(edit->section, edit->key, Missing), Limited(expected),
                     "a written key reads back from a new settings object");
        RequireEqual(ini.ReadText(edit->section, edit->key, Missing), Limited(expected),
                     "a written key reads back from the object that wrote it");
    }
    const Names names = NamesIn(content);
    for (const std::string& section : names.sections)
        for (const std::string& key : names.keys)
            if (!last.contains(Folded(section) + "\n" + Folded(key)))
                RequireEqual(FindProfileValue(written, section, key), FindProfileValue(content, section, key),
                             "a key not written keeps its value");
    CheckLinesSurvive(content, written, edits);
    return 0;
}
