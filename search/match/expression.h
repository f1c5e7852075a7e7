// Regular expressions (RE2) and the whole-word rule, as a search run matches
// them: compiled once per run, linear in the length of each line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace re2 {
class RE2;
}

namespace quillo {

// An expression that does not compile; what() is the engine's reason.
class InvalidExpression : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stretch [begin, end) of a line, in bytes.
struct ByteRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

// Letters, digits and '_'; every byte above 127 counts as a letter.
constexpr bool IsWordByte(unsigned char c) noexcept
{
    return c >= 128 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// Whether [begin, end) of line is neither preceded nor followed by a word byte.
inline bool WordBounded(std::string_view line, std::size_t begin, std::size_t end) noexcept
{
    return (begin == 0 || !IsWordByte(static_cast<unsigned char>(line[begin - 1]))) &&
           (end >= line.size() || !IsWordByte(static_cast<unsigned char>(line[end])));
}

bool ValidUtf8(std::string_view text) noexcept;

// Sorts ranges and joins those that overlap or touch; empty ones go.
void MergeRanges(std::vector<ByteRange>& ranges);

// A literal that every match of the expression holds (in every line, valid
// UTF-8 or not), or empty when none is found. With ignoreCase it holds only
// bytes whose case partners are all ASCII, so that comparing it with the
// ASCII-only case rule stays sound.
std::string RequiredLiteral(std::string_view pattern, bool ignoreCase);

class Expression {
public:
    // Throws InvalidExpression when pattern does not compile.
    Expression(std::string_view pattern, bool ignoreCase, bool wholeWords);
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // Whether the expression matches somewhere in line (as a whole word when
    // asked for).
    bool In(std::string_view line) const noexcept;
    // Start of the first counted match starting at or after from (line is
    // still the context: '^' and the word rule look at the whole line); npos
    // when there is none.
    std::size_t FindFrom(std::string_view line, std::size_t from) const noexcept;
    // Matches by their starts: after each, the next search starts at the
    // byte after its start.
    std::int64_t Count(std::string_view line) const noexcept;
    // The non-empty matches, left to right, each search going on where the
    // last match ended.
    void Ranges(std::string_view line, std::vector<ByteRange>& out) const;

private:
    // One way of reading the line's bytes: as UTF-8, or as Latin-1 for the
    // lines that are not valid UTF-8 (where '.' then takes a stray byte).
    struct Compiled {
        std::unique_ptr<re2::RE2> plain;     // the expression (in a group)
        std::unique_ptr<re2::RE2> fromStart; // whole words: also at the line's start
        std::unique_ptr<re2::RE2> afterByte; // whole words: after a non-word byte
        // Whether a match starts at the start of the text it is given (the
        // rest of the line): none when the expression looks before its start
        // ('^', \A, \b, \B), which that text cannot show.
        std::shared_ptr<const void> startsHere;
    };
    // Whether a counted match starts exactly at start.
    bool StartsAt(const Compiled& c, std::string_view line, std::size_t start) const noexcept;
    const Compiled& For(std::string_view line) const noexcept;
    static bool InWith(const Compiled& c, std::string_view line) noexcept;
    bool FindWith(const Compiled& c, std::string_view line, std::size_t from, ByteRange& match) const noexcept;

    bool wholeWords_;
    Compiled utf8_;
    std::unique_ptr<Compiled> latin1_; // only for an expression of ASCII bytes
};

} // namespace quillo
