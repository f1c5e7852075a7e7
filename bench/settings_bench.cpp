// The settings file at its worst plausible size: 10 MB of blank lines after
// "[Options]", opened as the window opens it (the settings object made and
// every option read) and closed as the window closes it (every option written
// in one replace of the file). Adds to the results file:
//   ini_10mb_open_s   the open, median of the runs
//   ini_10mb_close_s  the close, median of the runs
//   ini_10mb_s        the larger of the two
// Usage:
//   quillo-settings-bench --out build/bench.json [--runs N]
#include "bench_common.h"
#include "flat_json.h"

#include "settings/ini_file.h"
#include "settings/options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using bench::Expect;

std::string ReadBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    Expect(static_cast<bool>(out), "cannot write " + name);
}

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "quillo-settings-bench-XXXXXX").string();
        Expect(::mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

struct Timing {
    double open = 0;
    double close = 0;
};

Timing OneRound(const std::string& file, const std::string& content, const std::string& expected)
{
    WriteBytes(file, content);
    Timing timing;
    auto start = bench::Clock::now();
    auto settings = std::make_unique<quillo::TIniFile>(file);
    quillo::StoredOptions options = quillo::ReadOptions(*settings);
    timing.open = bench::SecondsSince(start);
    Expect(options.flags[0] && options.defaultOperator == 0, "defaults not read from the blank section");

    options.flags[1] = true;
    options.defaultOperator = 2;
    start = bench::Clock::now();
    quillo::WriteOptions(*settings, options);
    settings.reset();
    timing.close = bench::SecondsSince(start);
    Expect(ReadBytes(file) == expected, "the file written at close is not what it should be");
    return timing;
}

[[noreturn]] void Usage()
{
    std::fprintf(stderr, "usage: quillo-settings-bench --out FILE.json [--runs N]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    std::string outPath;
    int runs = 5;
    constexpr std::size_t mb = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue)
            outPath = argv[++i];
        else if (arg == "--runs" && hasValue)
            runs = std::atoi(argv[++i]);
        else
            Usage();
    }
    if (outPath.empty() || runs < 1)
        Usage();

    const std::string header = "[Options]\n";
    const std::string blanks(mb * 1024 * 1024 - header.size(), '\n');
    const std::string content = header + blanks;
    // The keys go right after the section line; the blank lines stay behind them.
    const std::string expected = header +
                                 "Count Lines=1\nCount Words=1\nProgress Indicator=1\nTotal Clear=0\n"
                                 "Load file list=0\nCase Sensitive=0\nReverse Logic=0\nSafe After=0\n"
                                 "Unix File=1\nOne Instance=0\nDefault Operator=2\n" +
                                 blanks;

    ScratchFolder folder;
    std::vector<double> opens, closes;
    for (int run = 0; run < runs; ++run) {
        const Timing t = OneRound(folder / "quillo.ini", content, expected);
        opens.push_back(t.open);
        closes.push_back(t.close);
    }
    const double open = bench::Median(opens);
    const double close = bench::Median(closes);
    std::printf("settings file of %zu MB of blank lines: open %.3f s, close %.3f s (median of %d)\n", mb, open, close,
                runs);

    bench::FlatJson json;
    Expect(json.Load(outPath), "cannot read " + outPath);
    json.SetNumber("ini_10mb_open_s", open);
    json.SetNumber("ini_10mb_close_s", close);
    json.SetNumber("ini_10mb_s", std::max(open, close));
    Expect(json.Save(outPath), "cannot write " + outPath);
    return 0;
}
