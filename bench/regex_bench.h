// The figures of the matching rules: a regular expression and whole words
// over the corpus against grep doing the same, and the worst case of a
// nested repetition on a long line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct MatchingFigure {
    std::string id, name, jsonKey, what;
    bool overCorpus = true; // searches the corpus files (for MB/s and the ratios)
    std::string base;       // the figure the target is a ratio to
    double targetRatio = 0;
    std::function<double()> measure;
};

// E5 (regex_s) and its grep (regex_grep_s), E6 (words_s) and its grep
// (words_grep_s), W (regex_worst_s, a file of its own in scratchFolder). The
// engine's found lines are checked against grep's counts.
std::vector<MatchingFigure> MatchingFigures(const std::vector<std::string>& files, const std::string& scratchFolder);

} // namespace bench
