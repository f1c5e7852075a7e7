// quillo-bench: how fast the search engine reads and matches, against grep
// and ripgrep over the same files, against a bare loop of 128-byte read()
// calls, and against cat reading the files (the floor this machine gives).
//
//   quillo-bench --out build/bench.json --corpus build/bench-corpus
//                [--runs N] [--corpus-mb N] [--huge-lines N] [--many-files N]
//                [--only floor,single,and,reverse,unix,grep,refresh,rg,rg4,cat,huge,many,manygrep,manyrg,
//                        regex,regexgrep,words,wordsgrep,worst]
//
// Every figure is the median of N runs over the same warm files. The results
// are merged into the JSON file: keys this program does not write are kept.

#include "bench_common.h"
#include "corpus.h"
#include "flat_json.h"
#include "regex_bench.h"

#include "filelist/folder_listing.h"
#include "search/read/file_scan.h"
#include "search/output/number_format.h"
#include "search/output/output_store.h"
#include "search/search_host.h"
#include "search/search_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace bench;

// LC_ALL=C grep -F -i -c word operands...
double RunGrep(const std::vector<std::string>& operands, std::uint64_t& matchedLines, std::size_t& filesReported)
{
    std::vector<std::string> args = {"grep", "-F", "-i", "-c", bench::TargetWord};
    args.insert(args.end(), operands.begin(), operands.end());
    return RunCounter(std::move(args), matchedLines, filesReported);
}

// ripgrep on one thread: rg -j1 [--no-mmap] -F -i -c word operands... It
// names only the files with a match, so only the count is checked.
double RunRipgrep(bool noMmap, const std::vector<std::string>& operands, std::uint64_t expectLines, const char* what)
{
    std::vector<std::string> args = {"rg", "-j1"};
    if (noMmap)
        args.emplace_back("--no-mmap");
    for (const char* option : {"-F", "-i", "-c", "--", bench::TargetWord})
        args.emplace_back(option);
    args.insert(args.end(), operands.begin(), operands.end());
    std::uint64_t lines = 0;
    std::size_t files = 0;
    const double seconds = RunCounter(std::move(args), lines, files);
    Expect(lines == expectLines, std::string("rg counted ") + std::to_string(lines) + " lines in " + what +
                                     ", they have " + std::to_string(expectLines));
    return seconds;
}

// cat files... > /dev/null: what reading the files costs this machine, with
// nothing done to the bytes.
double RunCat(const std::vector<std::string>& files)
{
    std::vector<std::string> args = {"cat", "--"};
    args.insert(args.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid;
    const int spawned = ::posix_spawnp(&pid, "cat", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        Fail("cannot start cat: " + std::string(std::strerror(spawned)));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const double seconds = SecondsSince(start);
    Expect(WIFEXITED(status) && WEXITSTATUS(status) == 0, "cat failed");
    return seconds;
}

// The ten-line refreshes of a run over lines lines with the default options,
// alone: the title, the panels' texts formatted and set, no events.
double TimeRefreshes(const std::string& anyFile, std::uint64_t lines)
{
    quillo::RunState run;
    run.Caption = "Searching " + anyFile;
    quillo::OutputLineStore store;
    const std::vector<std::string> none;
    BenchHost host(quillo::SearchSettings{}, none, store);
    run.Reader.OpenText(anyFile);
    Expect(!run.Reader.AtEnd(), "cannot read " + anyFile);
    const auto start = Clock::now();
    for (std::uint64_t line = 10; line <= lines; line += 10) {
        run.LinesSearched = static_cast<std::int64_t>(line);
        run.LinesFound = static_cast<std::int64_t>(line / 2000);
        quillo::TenLineRefresh(run, host, run.Reader);
    }
    const double seconds = SecondsSince(start);
    Expect(host.Panel(0) == "Lines Searched: " + quillo::FormatNumber(static_cast<long double>(lines / 10 * 10)),
           "the refresh left panel 0 at \"" + host.Panel(0) + "\"");
    return seconds;
}

struct Figure {
    std::string id;       // F, E1 ...
    std::string name;     // --only name
    std::string jsonKey;
    std::string what;
    std::uint64_t bytes = 0; // bytes searched, for MB/s; 0: none
    std::string base;        // the figure the target is a ratio to
    double targetRatio = 0;  // at most this many times base; 0: none
    std::function<double()> measure;
    bool onCorpus = true; // over the main corpus: shown as a ratio to F and G
    std::vector<double> samples;
    double median = 0;
};

// E1 against C, cat reading the same files: how far the engine is from the
// cost of reading alone.
void PrintReadFloor(double catS, double singleS)
{
    if (catS > 0 && singleS > 0)
        std::printf("\nread floor C (cat to /dev/null): %.3f s; E1 / C = %.2f\n", catS, singleS / catS);
}

void Usage()
{
    std::fprintf(stderr,
                 "usage: quillo-bench --out FILE.json --corpus FOLDER [--runs N] [--corpus-mb N]\n"
                 "                    [--huge-lines N] [--many-files N]\n"
                 "                    [--only floor,single,and,reverse,unix,grep,refresh,rg,rg4,cat,huge,many,manygrep,manyrg]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    std::string outPath;
    std::string corpusFolder;
    int runs = 5;
    std::uint64_t corpusMb = 200;
    std::uint64_t hugeLines = bench::HugeFileLines;
    std::uint64_t manyFiles = 100'000;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue)
            outPath = argv[++i];
        else if (arg == "--corpus" && hasValue)
            corpusFolder = argv[++i];
        else if (arg == "--runs" && hasValue)
            runs = std::atoi(argv[++i]);
        else if (arg == "--corpus-mb" && hasValue)
            corpusMb = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--huge-lines" && hasValue)
            hugeLines = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--many-files" && hasValue)
            manyFiles = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--only" && hasValue)
            only = std::string(",") + argv[++i] + ",";
        else
            Usage();
    }
    if (outPath.empty() || corpusFolder.empty() || runs < 1 || corpusMb < 2 || hugeLines < 10 || manyFiles < 1)
        Usage();
    auto wanted = [&](const char* name) { return only.empty() || only.find("," + std::string(name) + ",") != std::string::npos; };

    // The status bar's separators as the program takes them at start; our own
    // printing stays in the C locale.
    std::setlocale(LC_ALL, "");
    quillo::SetNumberSeparators(quillo::SeparatorsFromLocale());
    std::setlocale(LC_ALL, "C");

    bench::CorpusShape shape;
    shape.bigFileBytes = corpusMb * 1'000'000 / 2;
    shape.otherBytes = corpusMb * 1'000'000 - shape.bigFileBytes;
    bench::Corpus corpus;
    bench::HugeFile huge;
    bench::ManyFiles many;
    try {
        corpus = bench::PrepareCorpus(corpusFolder, shape, true);
        if (wanted("huge"))
            huge = bench::PrepareHugeFile(corpusFolder, hugeLines, true);
        if (wanted("many") || wanted("manygrep") || wanted("manyrg"))
            many = bench::PrepareManyFiles(corpusFolder, manyFiles, 1000, true);
    } catch (const std::exception& e) {
        Fail(std::string("corpus: ") + e.what());
    }
    std::vector<std::string> crlfFiles, lfFiles;
    for (const bench::CorpusFile& f : corpus.files) {
        crlfFiles.push_back(f.crlfPath);
        lfFiles.push_back(f.lfPath);
    }
    std::printf("corpus: %zu files, %.1f MB CRLF / %.1f MB LF, %llu lines, %llu with the target word "
                "(%llu also with \"%s\" in exact case), %llu with bytes above 127\n",
                corpus.files.size(), corpus.crlfBytes / 1e6, corpus.lfBytes / 1e6,
                static_cast<unsigned long long>(corpus.lines),
                static_cast<unsigned long long>(corpus.targetLines),
                static_cast<unsigned long long>(corpus.targetAndCommonLines), bench::CommonWord,
                static_cast<unsigned long long>(corpus.highByteLines));
    Expect(corpus.targetLines > 0 && corpus.targetAndCommonLines > 0, "the corpus has no target lines");
    if (!huge.path.empty()) {
        std::printf("huge file: %.1f MB, %llu lines, %llu with the target word\n", huge.bytes / 1e6,
                    static_cast<unsigned long long>(huge.lines), static_cast<unsigned long long>(huge.targetLines));
        Warm({huge.path});
    }
    std::vector<std::string> manyList; // as the pattern gave it in the last run
    if (many.files) {
        std::printf("many files: %llu files, %.1f MB, %llu lines, %llu with the target word\n",
                    static_cast<unsigned long long>(many.files), many.bytes / 1e6,
                    static_cast<unsigned long long>(many.lines), static_cast<unsigned long long>(many.targetLines));
        manyList = quillo::ExpandFilePattern(many.pattern);
        Expect(manyList.size() == many.files, "the pattern " + many.pattern + " gives " +
                                                  std::to_string(manyList.size()) + " files");
        Warm(manyList);
    }

    Warm(crlfFiles);
    Warm(lfFiles);

    auto linesSearchedText = [](std::uint64_t lines) {
        return "Lines Searched: " + quillo::FormatNumber(static_cast<long double>(lines));
    };
    const std::string linesSearchedMain = linesSearchedText(corpus.lines);

    quillo::SearchSettings single;
    single.String1 = bench::TargetWord;

    quillo::SearchSettings both;
    both.String1 = bench::TargetWord;
    both.String2 = bench::CommonWord;
    both.Operator = 0;
    both.Options.CaseSensitive = true;
    both.Options.Numbering = true;

    quillo::SearchSettings reverse = single;
    reverse.Options.Reverse = true;

    quillo::SearchSettings unixMode = single;
    unixMode.Options.UnixFile = true;

    std::uint64_t reverseFoundLines = 0, reverseFoundBytes = 0, reverseStoreBytes = 0;
    std::uint64_t grepLines = 0;
    std::size_t grepFiles = 0;

    // Runs one engine figure and checks what it found against what the
    // generator wrote.
    auto engine = [&](const char* id, const quillo::SearchSettings& settings, const std::vector<std::string>& files,
                      std::uint64_t expectFound, std::uint64_t headers = 0, std::string linesSearched = {},
                      bool keepReverse = true) {
        if (headers == 0) {
            headers = 1 + corpus.files.size();
            linesSearched = linesSearchedMain;
        }
        EngineResult r = RunEngine(settings, files);
        const std::string where = std::string(id) + ": ";
        Expect(r.errors.empty(), where + "the run showed an error");
        Expect(r.headerLines == headers, where + std::to_string(r.headerLines) + " header lines, expected " +
                                             std::to_string(headers));
        Expect(r.foundLines == expectFound, where + "found " + std::to_string(r.foundLines) +
                                                " lines, the corpus has " + std::to_string(expectFound));
        Expect(r.linesSearchedPanel == linesSearched,
               where + "panel 0 reads \"" + r.linesSearchedPanel + "\", expected \"" + linesSearched + "\"");
        Expect(r.linesFoundPanel ==
                   "Lines Found: " + quillo::FormatNumber(static_cast<long double>(expectFound)),
               where + "panel 1 reads \"" + r.linesFoundPanel + "\"");
        Expect(!settings.Options.Numbering || r.numbered, where + "found lines are not numbered");
        if (settings.Options.Reverse && keepReverse) {
            reverseFoundLines = r.foundLines;
            reverseFoundBytes = r.foundBytes;
            reverseStoreBytes = r.storeBytes;
        }
        return r.seconds;
    };

    std::vector<Figure> figures;
    auto add = [&](std::string id, std::string name, std::string jsonKey, std::string what, std::uint64_t bytes,
                   std::string base, double targetRatio, std::function<double()> measure, bool onCorpus = true) {
        Figure f;
        f.id = std::move(id);
        f.name = std::move(name);
        f.jsonKey = std::move(jsonKey);
        f.what = std::move(what);
        f.bytes = bytes;
        f.base = std::move(base);
        f.targetRatio = targetRatio;
        f.measure = std::move(measure);
        f.onCorpus = onCorpus;
        figures.push_back(std::move(f));
    };
    add("F", "floor", "floor_s", "read(fd, buf, 128) loop, CRLF files", corpus.crlfBytes, "", 0,
                       [&] { return ReadFloor(crlfFiles, corpus.crlfBytes); });
    add("E1", "single", "single_s", "one string, case-insensitive", corpus.crlfBytes, "RG", 1.0,
                       [&] { return engine("E1", single, crlfFiles, corpus.targetLines); });
    add("E2", "and", "and_s", "And, case-sensitive, numbering", corpus.crlfBytes, "RG", 1.0,
                       [&] { return engine("E2", both, crlfFiles, corpus.targetAndCommonLines); });
    add("E3", "reverse", "reverse_s", "reverse logic, all but target stored", corpus.crlfBytes, "G",
                       2.0, [&] { return engine("E3", reverse, crlfFiles, corpus.lines - corpus.targetLines); });
    add("E4", "unix", "unix_s", "one string, Unix mode, LF files", corpus.lfBytes, "RG4", 1.0,
                       [&] { return engine("E4", unixMode, lfFiles, corpus.targetLines); });
    add("G", "grep", "grep_s", "LC_ALL=C grep -F -i -c", corpus.crlfBytes, "", 0, [&] {
                           const double s = RunGrep(crlfFiles, grepLines, grepFiles);
                           Expect(grepFiles == crlfFiles.size(), "grep reported " + std::to_string(grepFiles) +
                                                                     " files of " + std::to_string(crlfFiles.size()));
                           Expect(grepLines == corpus.targetLines,
                                  "grep counted " + std::to_string(grepLines) + " lines, the corpus has " +
                                      std::to_string(corpus.targetLines));
                           return s;
                       });
    add("R", "refresh", "refresh_s", "E1's ten-line refreshes alone", 0, "", 0,
                       [&] { return TimeRefreshes(crlfFiles.front(), corpus.lines); });
    // ripgrep on one thread reading as the engine does, and cat: the
    // figures the engine's targets are set against.
    add("RG", "rg", "rg_s", "rg -j1 --no-mmap -F -i -c", corpus.crlfBytes, "", 0,
        [&] { return RunRipgrep(true, crlfFiles, corpus.targetLines, "the CRLF files"); });
    add("RG4", "rg4", "rg_unix_s", "rg -j1 --no-mmap -F -i -c, LF files", corpus.lfBytes, "", 0,
        [&] { return RunRipgrep(true, lfFiles, corpus.targetLines, "the LF files"); });
    add("C", "cat", "read_floor_s", "cat to /dev/null, CRLF files", corpus.crlfBytes, "", 0,
        [&] { return RunCat(crlfFiles); });
    if (!huge.path.empty()) {
        const std::vector<std::string> hugeList = {huge.path};
        add("H", "huge", "huge_engine_s", "reverse logic, " + quillo::FormatNumber(huge.lines) +
                               " short lines", huge.bytes, "", 0, [&, hugeList] {
                               return engine("H", reverse, hugeList, huge.lines - huge.targetLines, 2,
                                             linesSearchedText(huge.lines), false);
                           }, false);
    }
    if (many.files) {
        add("M", "many", "many_files_s", "one string, " + quillo::FormatNumber(many.files) +
                               " files from a pattern", many.bytes, "MRG", 1.0, [&] {
                               const auto start = Clock::now();
                               manyList = quillo::ExpandFilePattern(many.pattern);
                               const double listing = SecondsSince(start);
                               Expect(manyList.size() == many.files, "the pattern gave " +
                                                                         std::to_string(manyList.size()) + " files");
                               return listing + engine("M", single, manyList, many.targetLines, 1 + many.files,
                                                       linesSearchedText(many.lines), false);
                           }, false);
        add("MG", "manygrep", "many_files_grep_s", "grep -F -i -c -r over the same files",
                           many.bytes, "", 0, [&] {
                               const double s = RunGrep({"-r", many.folder}, grepLines, grepFiles);
                               Expect(grepFiles == many.files, "grep reported " + std::to_string(grepFiles) +
                                                                   " files of " + std::to_string(many.files));
                               Expect(grepLines == many.targetLines, "grep counted " + std::to_string(grepLines) +
                                                                         " lines in the many files, they have " +
                                                                         std::to_string(many.targetLines));
                               return s;
                           }, false);
        add("MRG", "manyrg", "many_files_rg_s", "rg -j1 -F -i -c over the same files", many.bytes, "", 0,
            [&] { return RunRipgrep(false, {many.folder}, many.targetLines, "the many files"); }, false);
    }
    for (bench::MatchingFigure& m : bench::MatchingFigures(crlfFiles, corpusFolder))
        add(m.id, m.name, m.jsonKey, m.what, m.overCorpus ? corpus.crlfBytes : 0, m.base, m.targetRatio,
            m.measure, m.overCorpus);
    std::erase_if(figures, [&](const Figure& f) { return !wanted(f.name.c_str()); });
    Expect(!figures.empty(), "--only names no figure");

    // Interleaved, so that a busy moment of the machine spreads over all figures.
    for (int run = 1; run <= runs; ++run) {
        std::fprintf(stderr, "run %d of %d:", run, runs);
        for (Figure& f : figures) {
            f.samples.push_back(f.measure());
            std::fprintf(stderr, " %s %.3f", f.id.c_str(), f.samples.back());
        }
        std::fprintf(stderr, "\n");
    }
    double floorS = 0, grepS = 0, singleS = 0;
    for (Figure& f : figures) {
        f.median = Median(f.samples);
        if (f.id == "F")
            floorS = f.median;
        if (f.id == "G")
            grepS = f.median;
        if (f.id == "E1")
            singleS = f.median;
    }
    auto medianOf = [&](const std::string& id) {
        for (const Figure& f : figures)
            if (f.id == id)
                return f.median;
        return 0.0;
    };

    std::printf("\n%-3s %-38s %9s %9s %9s %8s %6s %6s  %s\n", "", "figure", "median s", "min s", "max s", "MB/s",
                "x F", "x G", "target");
    bool allMet = true;
    bool anyChecked = false;
    for (const Figure& f : figures) {
        const double lo = *std::min_element(f.samples.begin(), f.samples.end());
        const double hi = *std::max_element(f.samples.begin(), f.samples.end());
        char xF[16] = "-", xG[16] = "-", rate[16] = "-";
        if (floorS > 0 && f.onCorpus)
            std::snprintf(xF, sizeof xF, "%.3f", f.median / floorS);
        if (grepS > 0 && f.onCorpus)
            std::snprintf(xG, sizeof xG, "%.3f", f.median / grepS);
        if (f.bytes)
            std::snprintf(rate, sizeof rate, "%.1f", static_cast<double>(f.bytes) / 1e6 / f.median);
        std::string target;
        char text[96];
        const double base = f.base.empty() ? 0 : medianOf(f.base);
        if (f.targetRatio > 0 && base > 0) {
            const bool met = f.median <= f.targetRatio * base;
            allMet = allMet && met;
            anyChecked = true;
            std::snprintf(text, sizeof text, "%.3f x %s, <= %.2f: %s", f.median / base, f.base.c_str(),
                          f.targetRatio, met ? "met" : "MISSED");
            target = text;
        } else if (f.id == "R" && singleS > 0) {
            std::snprintf(text, sizeof text, "%.1f%% of E1", 100 * f.median / singleS);
            target = text;
        }
        std::printf("%-3s %-38s %9.3f %9.3f %9.3f %8s %6s %6s  %s\n", f.id.c_str(), f.what.c_str(), f.median, lo, hi,
                    rate, xF, xG, target.c_str());
    }

    PrintReadFloor(medianOf("C"), singleS);

    bench::FlatJson json;
    if (!json.Load(outPath))
        Fail(outPath + " is not a flat JSON object; not overwriting it");
    for (const Figure& f : figures)
        json.SetNumber(f.jsonKey, f.median);
    if (reverseFoundLines) {
        const std::uint64_t allowed = reverseFoundBytes + 16 * reverseFoundLines;
        const bool met = reverseStoreBytes <= allowed;
        allMet = allMet && met;
        anyChecked = true;
        std::printf("\nE3 store: %llu found lines, %llu found bytes, %llu bytes allocated "
                    "(%.2f bytes a line over the found bytes); target <= found bytes + 16 a line (%llu): %s\n",
                    static_cast<unsigned long long>(reverseFoundLines),
                    static_cast<unsigned long long>(reverseFoundBytes),
                    static_cast<unsigned long long>(reverseStoreBytes),
                    (static_cast<double>(reverseStoreBytes) - static_cast<double>(reverseFoundBytes)) /
                        static_cast<double>(reverseFoundLines),
                    static_cast<unsigned long long>(allowed), met ? "met" : "MISSED");
        json.SetInteger("reverse_found_lines", reverseFoundLines);
        json.SetInteger("reverse_found_bytes", reverseFoundBytes);
        json.SetInteger("reverse_store_bytes", reverseStoreBytes);
    }
    if (!json.Save(outPath))
        Fail("cannot write " + outPath);
    std::printf("\nresults written to %s; targets %s\n", outPath.c_str(),
                !anyChecked ? "not checked (no base figure)" : allMet ? "all met" : "NOT all met");
    return 0;
}
