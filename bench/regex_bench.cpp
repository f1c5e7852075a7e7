#include "regex_bench.h"

#include "bench_common.h"
#include "corpus.h"

#include "search/match/expression.h"

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace bench {
namespace {

constexpr const char* Expression = "quillo[a-z]*get";
constexpr const char* WorstExpression = "(a|aa)*c";

// LC_ALL=C grep with options -c over files; the matched lines summed over
// the files.
double RunGrepCount(const std::vector<std::string>& options, const std::vector<std::string>& files,
                    std::uint64_t& matched)
{
    std::vector<std::string> args = {"grep"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), files.begin(), files.end());
    std::size_t reported = 0;
    return RunCounter(std::move(args), matched, reported);
}

// An engine run that must find what grep found.
double CheckedRun(const char* id, const quillo::SearchSettings& settings, const std::vector<std::string>& files,
                  std::uint64_t expect)
{
    const EngineResult r = RunEngine(settings, files);
    Expect(r.errors.empty(), std::string(id) + ": the run showed an error");
    Expect(r.foundLines == expect, std::string(id) + ": found " + std::to_string(r.foundLines) +
                                       " lines, grep " + std::to_string(expect));
    return r.seconds;
}

} // namespace

std::vector<MatchingFigure> MatchingFigures(const std::vector<std::string>& files, const std::string& scratchFolder)
{
    quillo::SearchSettings regex;
    regex.String1 = Expression;
    regex.Options.Regex = true;
    quillo::SearchSettings words;
    words.String1 = TargetWord;
    words.Options.WholeWords = true;

    const std::vector<std::string> regexGrep = {"-E", "-i", "-c", Expression};
    const std::vector<std::string> wordsGrep = {"-F", "-w", "-i", "-c", TargetWord};
    // grep's counts, taken once before any engine figure needs them.
    struct Counts {
        bool taken = false;
        std::uint64_t regex = 0, words = 0;
    };
    auto counts = std::make_shared<Counts>();
    auto take = [=] {
        if (!counts->taken) {
            RunGrepCount(regexGrep, files, counts->regex);
            RunGrepCount(wordsGrep, files, counts->words);
            Expect(counts->regex > 0 && counts->words > 0, "grep found nothing to compare with");
            counts->taken = true;
        }
        return counts;
    };

    // One line of 1 MB of 'a'.
    const std::string worstFile = scratchFolder + "/worst-case-line.txt";
    {
        std::ofstream out(worstFile, std::ios::binary | std::ios::trunc);
        out << std::string(1'000'000, 'a') << "\r\n";
        Expect(static_cast<bool>(out), "cannot write " + worstFile);
    }
    quillo::SearchSettings worst;
    worst.String1 = WorstExpression;
    worst.Options.Regex = true;

    std::vector<MatchingFigure> figures;
    figures.push_back({"E5", "regex", "regex_s", std::string("regex ") + Expression + ", ignoring case", true, "E5G",
                       1.5, [=] { return CheckedRun("E5", regex, files, take()->regex); }});
    figures.push_back({"E5G", "regexgrep", "regex_grep_s", "LC_ALL=C grep -E -i -c, the same", true, "", 0, [=] {
                           std::uint64_t n = 0;
                           const double s = RunGrepCount(regexGrep, files, n);
                           Expect(n == take()->regex, "grep -E counted differently from one run to the next");
                           return s;
                       }});
    figures.push_back({"E6", "words", "words_s", "whole target word, ignoring case", true, "E6G", 1.5,
                       [=] { return CheckedRun("E6", words, files, take()->words); }});
    figures.push_back({"E6G", "wordsgrep", "words_grep_s", "LC_ALL=C grep -F -w -i -c, the same", true, "", 0, [=] {
                           std::uint64_t n = 0;
                           const double s = RunGrepCount(wordsGrep, files, n);
                           Expect(n == take()->words, "grep -w counted differently from one run to the next");
                           return s;
                       }});
    // The run (whose literal prefilter, 'c', rules the line out at once) and
    // the expression alone on the same line, which RE2 must read through.
    figures.push_back({"W", "worst", "regex_worst_s", "(a|aa)*c, 1 MB of a: run + RE2 alone", false, "", 0,
                       [=] {
                           const std::vector<std::string> list = {worstFile};
                           const double run = CheckedRun("W", worst, list, 0);
                           const std::string line(1'000'000, 'a');
                           const quillo::Expression alone(WorstExpression, true, false);
                           const auto start = Clock::now();
                           Expect(!alone.In(line), "W: (a|aa)*c matched a line of a");
                           return run + SecondsSince(start);
                       }});
    return figures;
}

} // namespace bench
