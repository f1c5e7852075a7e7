// quillo-bench: how fast the search engine reads and matches, against a bare
// read loop of the same 128-byte fetches and against grep.
//
//   quillo-bench --out build/bench.json --corpus build/bench-corpus
//                [--runs N] [--corpus-mb N] [--only floor,single,and,reverse,unix,grep]
//
// Every figure is the median of N runs over the same warm files. The results
// are merged into the JSON file: keys this program does not write are kept.

#include "bench_common.h"
#include "corpus.h"
#include "flat_json.h"

#include "search/number_format.h"
#include "search/output_store.h"
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

// LC_ALL=C grep -F -i -c word files..., its output read through a pipe (with
// its output on /dev/null grep would stop at the first match of each file).
double RunGrep(const std::vector<std::string>& files, std::uint64_t& matchedLines)
{
    std::vector<std::string> args = {"grep", "-F", "-i", "-c", bench::TargetWord};
    args.insert(args.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) != 0)
            envText.emplace_back(*e);
    envText.emplace_back("LC_ALL=C");
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        Fail("pipe: " + std::string(std::strerror(errno)));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);

    std::string output;
    const auto start = Clock::now();
    pid_t pid;
    const int spawned = ::posix_spawnp(&pid, "grep", &actions, nullptr, argv.data(), envp.data());
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        posix_spawn_file_actions_destroy(&actions);
        Fail("cannot start grep: " + std::string(std::strerror(spawned)));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const double seconds = SecondsSince(start);
    ::close(pipeFds[0]);
    posix_spawn_file_actions_destroy(&actions);
    Expect(WIFEXITED(status) && WEXITSTATUS(status) <= 1, "grep failed");

    // One "name:count" line per file.
    matchedLines = 0;
    std::size_t lineStart = 0;
    std::size_t counted = 0;
    while (lineStart < output.size()) {
        std::size_t lineEnd = output.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = output.size();
        const std::string line = output.substr(lineStart, lineEnd - lineStart);
        const std::size_t colon = line.rfind(':');
        Expect(colon != std::string::npos, "unexpected grep output: " + line);
        matchedLines += std::strtoull(line.c_str() + colon + 1, nullptr, 10);
        ++counted;
        lineStart = lineEnd + 1;
    }
    Expect(counted == files.size(), "grep reported " + std::to_string(counted) + " files of " +
                                        std::to_string(files.size()));
    return seconds;
}

struct Figure {
    std::string id;       // F, E1 ...
    std::string name;     // --only name
    std::string jsonKey;
    std::string what;
    std::uint64_t bytes;  // bytes searched, for MB/s
    double targetRatio;   // at most this many times F; 0: none
    std::function<double()> measure;
    std::vector<double> samples;
    double median = 0;
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: quillo-bench --out FILE.json --corpus FOLDER [--runs N] [--corpus-mb N]\n"
                 "                    [--only floor,single,and,reverse,unix,grep]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    std::string outPath;
    std::string corpusFolder;
    int runs = 5;
    std::uint64_t corpusMb = 200;
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
        else if (arg == "--only" && hasValue)
            only = std::string(",") + argv[++i] + ",";
        else
            Usage();
    }
    if (outPath.empty() || corpusFolder.empty() || runs < 1 || corpusMb < 2)
        Usage();

    // The status bar's separators as the program takes them at start; our own
    // printing stays in the C locale.
    std::setlocale(LC_ALL, "");
    quillo::SetNumberSeparators(quillo::SeparatorsFromLocale());
    std::setlocale(LC_ALL, "C");

    bench::CorpusShape shape;
    shape.bigFileBytes = corpusMb * 1'000'000 / 2;
    shape.otherBytes = corpusMb * 1'000'000 - shape.bigFileBytes;
    bench::Corpus corpus;
    try {
        corpus = bench::PrepareCorpus(corpusFolder, shape, true);
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

    Warm(crlfFiles);
    Warm(lfFiles);

    const std::uint64_t headers = 1 + corpus.files.size();
    const std::string linesSearched = "Lines Searched: " + quillo::FormatNumber(static_cast<long double>(corpus.lines));

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

    // Runs one engine figure and checks what it found against what the
    // generator wrote.
    auto engine = [&](const char* id, const quillo::SearchSettings& settings, const std::vector<std::string>& files,
                      std::uint64_t expectFound) {
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
        if (settings.Options.Reverse) {
            reverseFoundLines = r.foundLines;
            reverseFoundBytes = r.foundBytes;
            reverseStoreBytes = r.storeBytes;
        }
        return r.seconds;
    };

    std::vector<Figure> figures;
    figures.push_back({"F", "floor", "floor_s", "read(fd, buf, 128) loop, CRLF files", corpus.crlfBytes, 0,
                       [&] { return ReadFloor(crlfFiles, corpus.crlfBytes); }, {}, 0});
    figures.push_back({"E1", "single", "single_s", "one string, case-insensitive", corpus.crlfBytes, 1.25,
                       [&] { return engine("E1", single, crlfFiles, corpus.targetLines); }, {}, 0});
    figures.push_back({"E2", "and", "and_s", "And, case-sensitive, numbering", corpus.crlfBytes, 1.3,
                       [&] { return engine("E2", both, crlfFiles, corpus.targetAndCommonLines); }, {}, 0});
    figures.push_back({"E3", "reverse", "reverse_s", "reverse logic, all but target stored", corpus.crlfBytes,
                       1.6, [&] { return engine("E3", reverse, crlfFiles, corpus.lines - corpus.targetLines); },
                       {}, 0});
    figures.push_back({"E4", "unix", "unix_s", "one string, Unix mode, LF files", corpus.lfBytes, 1.3,
                       [&] { return engine("E4", unixMode, lfFiles, corpus.targetLines); }, {}, 0});
    figures.push_back({"G", "grep", "grep_s", "LC_ALL=C grep -F -i -c", corpus.crlfBytes, 0,
                       [&] {
                           const double s = RunGrep(crlfFiles, grepLines);
                           Expect(grepLines == corpus.targetLines,
                                  "grep counted " + std::to_string(grepLines) + " lines, the corpus has " +
                                      std::to_string(corpus.targetLines));
                           return s;
                       },
                       {}, 0});
    if (!only.empty()) {
        std::erase_if(figures, [&](const Figure& f) { return only.find("," + f.name + ",") == std::string::npos; });
        Expect(!figures.empty(), "--only names no figure");
    }

    // Interleaved, so that a busy moment of the machine spreads over all figures.
    for (int run = 1; run <= runs; ++run) {
        std::fprintf(stderr, "run %d of %d:", run, runs);
        for (Figure& f : figures) {
            f.samples.push_back(f.measure());
            std::fprintf(stderr, " %s %.3f", f.id.c_str(), f.samples.back());
        }
        std::fprintf(stderr, "\n");
    }
    double floorS = 0, grepS = 0;
    for (Figure& f : figures) {
        f.median = Median(f.samples);
        if (f.id == "F")
            floorS = f.median;
        if (f.id == "G")
            grepS = f.median;
    }

    std::printf("\n%-3s %-38s %9s %9s %9s %8s %6s %6s  %s\n", "", "figure", "median s", "min s", "max s", "MB/s",
                "x F", "x G", "target");
    bool allMet = true;
    bool anyChecked = false;
    for (const Figure& f : figures) {
        const double lo = *std::min_element(f.samples.begin(), f.samples.end());
        const double hi = *std::max_element(f.samples.begin(), f.samples.end());
        char xF[16] = "-", xG[16] = "-";
        if (floorS > 0)
            std::snprintf(xF, sizeof xF, "%.3f", f.median / floorS);
        if (grepS > 0)
            std::snprintf(xG, sizeof xG, "%.3f", f.median / grepS);
        std::string target;
        if (f.targetRatio > 0 && floorS > 0) {
            const bool met = f.median <= f.targetRatio * floorS;
            allMet = allMet && met;
            anyChecked = true;
            char text[48];
            std::snprintf(text, sizeof text, "<= %.2f x F: %s", f.targetRatio, met ? "met" : "MISSED");
            target = text;
        }
        std::printf("%-3s %-38s %9.3f %9.3f %9.3f %8.1f %6s %6s  %s\n", f.id.c_str(), f.what.c_str(), f.median, lo, hi,
                    static_cast<double>(f.bytes) / 1e6 / f.median, xF, xG, target.c_str());
    }

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
                !anyChecked ? "not checked (no floor figure)" : allMet ? "all met" : "NOT all met");
    return 0;
}
