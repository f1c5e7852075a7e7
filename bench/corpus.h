// The benchmark's corpus: deterministic text files written once and reused,
// each in two copies (CR LF line ends and LF line ends).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The word the searches look for; the corpus holds it in several casings.
inline constexpr const char* TargetWord = "quillotarget";
// A frequent word of the corpus, the second string of the "And" search.
inline constexpr const char* CommonWord = "the";

struct CorpusFile {
    std::string crlfPath;
    std::string lfPath;
    std::uint64_t crlfBytes = 0;
    std::uint64_t lfBytes = 0;
};

// What the generator wrote, counted line by line while writing.
struct Corpus {
    std::vector<CorpusFile> files;
    std::uint64_t crlfBytes = 0;
    std::uint64_t lfBytes = 0;
    std::uint64_t lines = 0;
    // Lines holding TargetWord in any casing.
    std::uint64_t targetLines = 0;
    // Lines holding TargetWord exactly and CommonWord exactly.
    std::uint64_t targetAndCommonLines = 0;
    // Lines holding a byte above 127.
    std::uint64_t highByteLines = 0;
};

struct CorpusShape {
    int fileCount = 20;
    std::uint64_t bigFileBytes = 100'000'000; // file 0
    std::uint64_t otherBytes = 100'000'000;   // shared by the other files
};

// One file of very many short lines (0 to 14 bytes of words, CR LF after
// each; about one in 5000 is the target word in one of its casings).
struct HugeFile {
    std::string path;
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t targetLines = 0; // lines holding TargetWord in any casing
};

inline constexpr std::uint64_t HugeFileLines = 40'000'000;

// folder/huge/huge.txt, written once and reused while its stamp matches.
HugeFile PrepareHugeFile(const std::string& folder, std::uint64_t lineCount = HugeFileLines, bool verbose = false);

// Very many small files, alone in one folder, of text lines like the corpus's.
struct ManyFiles {
    std::string folder;  // folder/many/files
    std::string pattern; // every file of it: folder/many/files/*.txt
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t targetLines = 0;
};

// fileCount files of at least fileBytes bytes (whole lines), written once and
// reused while the stamp matches.
ManyFiles PrepareManyFiles(const std::string& folder, std::uint64_t fileCount, std::uint64_t fileBytes, bool verbose);

// The files of many spread over nested folders, as hard links: folder/many/
// tree/aN/bN/cN, a hundred files in each of a thousand folders three deep.
// Made once and reused while its stamp matches. Returns the tree's folder.
std::string PrepareManyTree(const ManyFiles& many);

// Reuses the corpus under folder when its stamp matches this generator and
// shape and every file has the size the stamp records; writes it otherwise.
// Throws std::runtime_error when the folder cannot be written.
Corpus PrepareCorpus(const std::string& folder, const CorpusShape& shape, bool verbose);

} // namespace bench
