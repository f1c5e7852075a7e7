// The command line, applied to a recording window, parameter 1 naming
// something in a folder of files of the target's own.
//
// Input: control bytes, then after each PartSeparator the name in
// parameter 1 and parameters 2, 3, ... (empty ones are dropped, as the
// program drops them). Control byte 0 picks how parameter 1 is made from its
// name (the name alone, in a folder, below "**", or a fixed file, list file
// or pattern); byte 1 the entries the list holds before (0 to 2) and whether
// Search is enabled then; byte 2 the operator selected before.
//
// Properties, from the grammar of positions:
// - parameter 1: a file is appended as given, a list file ("/LIST"
//   anywhere) replaces the list, a pattern appends existing files below its
//   folder; anything that is not an existing file says "Wrong filename!"
//   once and changes nothing;
// - string 1 is parameter 2 exactly, unless there are fewer or it is
//   "/LIST" or "/GO"; Search is then enabled exactly when the list is not
//   empty;
// - the operator follows "OR", "XOR", "&NOT" in position 3 (capitals only),
//   and string 2 is parameter 4 exactly, unless position 3 is "/LIST" or
//   "/GO";
// - one run per "/GO" (any letter case) from position 3 on while Search is
//   enabled, each with the strings and operator already set.
#include "app/command_line.h"
#include "filelist/list_file.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <filesystem>

namespace {

using namespace quillo;
using namespace quillo::fuzz;
namespace fs = std::filesystem;

constexpr std::size_t MaxParameters = 12;

class RecordingWindow : public CommandLineHost {
public:
    std::vector<std::string> files;
    std::string string1, string2;
    int op = 0;
    bool search = false;
    int wrongFilename = 0;
    std::vector<std::string> loads, string1Sets, string2Sets;
    std::vector<int> operators;
    std::vector<std::string> runs; // "string 1|operator|string 2|entries"

    void ShowWrongFilename() override { ++wrongFilename; }
    void AppendFileEntry(const std::string& entry) override { files.push_back(entry); }
    void LoadFileList(const std::string& listFile) override
    {
        loads.push_back(listFile);
        files = ReadListFile(listFile);
    }
    std::size_t FileCount() override { return files.size(); }
    void SetString1(const std::string& text) override { string1Sets.push_back(string1 = text); }
    void SetString2(const std::string& text) override { string2Sets.push_back(string2 = text); }
    void SelectOperator(int index) override { operators.push_back(op = index); }
    bool SearchEnabled() override { return search; }
    void SetSearchEnabled(bool on) override { search = on; }
    void RunSearchFromCommandLine() override { runs.push_back(Run(string1, op, string2, files.size())); }

    static std::string Run(const std::string& s1, int op, const std::string& s2, std::size_t entries)
    {
        return s1 + "|" + std::to_string(op) + "|" + s2 + "|" + std::to_string(entries);
    }
};

// The files parameter 1 points at, made once in the target's own folder.
void MakeFiles()
{
    static const bool made = [] {
        for (const char* folder : {"p", "t/d", "e"})
            fs::create_directories(fs::path(FuzzFolder()) / folder);
        for (const char* name : {"f.txt", "p/a.txt", "p/b.txt", "p/.hidden", "t/c.txt", "t/d/d.txt", "odd[1].txt",
                                 "back\\slash.txt", "star*.txt"})
            WriteFile(name, name);
        WriteFile("l.lst", "x1\r\nx2\r\n\r\nx3");
        return true;
    }();
    (void)made;
}

// A name in the target's folder, never a path elsewhere.
std::string FirstParameter(unsigned char shape, std::string_view name)
{
    std::string plain(name);
    std::erase(plain, '/');
    if (plain.empty())
        plain = ".";
    const std::string folder = FuzzFolder() + "/";
    switch (shape % 6) {
    case 0: return folder + plain;
    case 1: return folder + "p/" + plain;
    case 2: return folder + "t/**/" + plain;
    case 3: return folder + "f.txt";
    case 4: return folder + "l.lst";
    default: return folder + "p/*.txt";
    }
}

bool IsKeyword(std::string_view parameter, std::string_view keyword)
{
    if (parameter.size() != keyword.size())
        return false;
    for (std::size_t i = 0; i < parameter.size(); ++i) {
        const char c = parameter[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != keyword[i])
            return false;
    }
    return true;
}

bool IsFileThere(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

// The folder part of a pattern: up to its last "/", or up to a "**" part.
std::string PatternFolder(const std::string& pattern)
{
    const std::size_t tree = pattern.find("**/");
    if (tree != std::string::npos && (tree == 0 || pattern[tree - 1] == '/'))
        return pattern.substr(0, tree);
    const std::size_t slash = pattern.rfind('/');
    return slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
}

void CheckFileStep(const std::vector<std::string>& params, const std::vector<std::string>& before,
                   const RecordingWindow& window)
{
    const std::string& target = params[0];
    const bool pattern = target.find_first_of("*?") != std::string::npos;
    const bool list = std::any_of(params.begin(), params.end(), [](const auto& p) { return IsKeyword(p, "/LIST"); });
    Require(window.wrongFilename <= 1, "\"Wrong filename!\" is said at most once");
    if (window.wrongFilename == 1) {
        Require(pattern || !IsFileThere(target), "an existing file is no wrong file name");
        RequireEqual(window.files, before, "a wrong file name adds nothing");
        Require(window.loads.empty(), "a wrong file name loads no list");
        return;
    }
    if (pattern) {
        Require(window.loads.empty(), "a pattern loads no list");
        Require(window.files.size() > before.size(), "a pattern that passes adds files");
        Require(std::equal(before.begin(), before.end(), window.files.begin()), "a pattern appends");
        const std::vector<std::string> added(window.files.begin() + static_cast<long>(before.size()),
                                             window.files.end());
        auto sorted = added;
        std::sort(sorted.begin(), sorted.end());
        Require(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end(), "a pattern adds each file once");
        for (const std::string& file : added) {
            Require(IsFileThere(file), "a pattern adds existing files only");
            Require(file.starts_with(PatternFolder(target)), "a pattern's files lie below its folder");
        }
        return;
    }
    Require(IsFileThere(target), "only an existing file passes");
    if (list) {
        RequireEqual(window.loads, {target}, "\"/LIST\" loads parameter 1");
        RequireEqual(window.files, ReadListFile(target), "\"/LIST\" replaces the list");
    } else {
        std::vector<std::string> expected = before;
        expected.push_back(target);
        RequireEqual(window.files, expected, "a file is appended as given");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MakeFiles();
    const auto parts = SplitParts(data, size);
    if (parts.size() < 2)
        return 0;
    const std::string_view control = parts[0];
    const auto byte = [&](std::size_t i) { return i < control.size() ? static_cast<unsigned char>(control[i]) : 0; };

    std::vector<std::string> arguments{"quillo"};
    for (std::size_t i = 2; i < parts.size() && arguments.size() < MaxParameters; ++i)
        arguments.emplace_back(parts[i]);
    std::vector<std::string> params{FirstParameter(byte(0), parts[1])};
    for (std::string& p : ProgramParameters(arguments))
        params.push_back(std::move(p));
    for (const std::string& p : params) {
        Require(!p.empty(), "no parameter is empty");
        const std::string upper = UpperCased(p);
        Require(upper.size() == p.size(), "upper-casing keeps the length");
        for (std::size_t i = 0; i < p.size(); ++i)
            Require(upper[i] == (p[i] >= 'a' && p[i] <= 'z' ? p[i] - 'a' + 'A' : p[i]),
                    "upper-casing maps a-z alone");
    }

    RecordingWindow window;
    for (int i = 0; i < byte(1) % 3; ++i)
        window.files.push_back("before" + std::to_string(i));
    window.search = byte(1) & 0x80;
    window.op = byte(2) % 5 - 1;
    const std::vector<std::string> before = window.files;
    const bool searchBefore = window.search;
    const int opBefore = window.op;

    ApplyCommandLine(params, window);

    const std::size_t n = params.size();
    auto param = [&](std::size_t i) -> const std::string& { return params[i - 1]; };
    CheckFileStep(params, before, window);
    if (n == 1 || IsKeyword(param(2), "/LIST") || IsKeyword(param(2), "/GO")) {
        Require(window.string1Sets.empty() && window.string2Sets.empty() && window.operators.empty(),
                "with no string 1 nothing else is set");
        Require(window.runs.empty(), "with no string 1 nothing runs");
        RequireEqual<long long>(window.search, searchBefore, "with no string 1 Search stays");
        return 0;
    }
    RequireEqual(window.string1Sets, {param(2)}, "string 1 is parameter 2 as given");
    RequireEqual<long long>(window.search, !window.files.empty(), "Search is enabled exactly for a list");

    const bool third = n >= 3 && !IsKeyword(param(3), "/LIST") && !IsKeyword(param(3), "/GO");
    std::vector<int> operators;
    if (third && param(3) == "OR")
        operators = {1};
    else if (third && param(3) == "XOR")
        operators = {2};
    else if (third && param(3) == "&NOT")
        operators = {3};
    if (window.operators != operators)
        Violated("the operator follows OR, XOR and &NOT in position 3", Show(n >= 3 ? param(3) : ""));
    const int op = operators.empty() ? opBefore : operators[0];
    std::vector<std::string> string2Sets;
    if (third && n >= 4)
        string2Sets = {param(4)};
    RequireEqual(window.string2Sets, string2Sets, "string 2 is parameter 4 as given");

    std::vector<std::string> runs;
    for (std::size_t i = 3; i <= n && !window.files.empty(); ++i)
        if (IsKeyword(param(i), "/GO"))
            runs.push_back(RecordingWindow::Run(param(2), op, string2Sets.empty() ? "" : param(4), window.files.size()));
    RequireEqual(window.runs, runs, "one run per \"/GO\" from position 3 while Search is enabled");
    return 0;
}
