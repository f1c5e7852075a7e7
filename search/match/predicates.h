// Containment, case folding and the five match predicates of a search run.
#pragma once

#include "search/match/expression.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo {

// 1-based position of the first occurrence of needle in haystack, compared byte
// for byte; 0 when there is none. An empty needle or haystack gives 0.
std::size_t contains(std::string_view needle, std::string_view haystack) noexcept;

// Maps the bytes 'a'..'z' to 'A'..'Z'; every other byte (those above 127 too)
// is kept. The length never changes.
void FoldCase(std::string_view in, std::string& out);
std::string FoldCase(std::string_view in);

// How a search string matches.
struct PatternRule {
    bool IgnoreCase = false;
    bool Regex = false;      // the string is a regular expression
    bool WholeWords = false; // an occurrence counts only between non-word bytes
};

// A search string made ready once per run: finding it in a line costs a scan
// for its two rarest bytes at their distance plus a comparison at each hit.
// A regular expression is compiled once; a literal that each of its matches
// holds (its prefilter) is searched as such a string first, and only the lines
// holding it are given to the expression.
class PreparedPattern {
public:
    PreparedPattern() = default;
    // ignoreCase: the text is folded, and every line is compared as its
    // folded copy (folded on the fly, the line itself is not changed).
    explicit PreparedPattern(std::string text, bool ignoreCase = false);
    // Throws InvalidExpression when rule.Regex is set and text does not
    // compile. An empty text matches nothing, whatever the rule.
    PreparedPattern(std::string text, const PatternRule& rule);

    // The literal searched for: the (folded) text, or with a regular
    // expression its prefilter, empty when it has none.
    const std::string& Text() const noexcept { return text_; }
    bool IsRegex() const noexcept { return mode_ == Mode::Regex; }
    // The literal every match holds, compared under the case rule of
    // IgnoresCase(); nullptr when a line cannot be ruled out by a literal.
    const std::string* Prefilter() const noexcept { return text_.empty() ? nullptr : &text_; }
    bool IgnoresCase() const noexcept { return ignoreCase_; }
    // The plain string search that finds every place where a line can hold
    // this pattern: the pattern itself for a plain string, else a plain
    // pattern of its prefilter; nullptr when a line cannot be ruled out by a
    // literal. A search through a whole buffer takes this one, never an
    // expression, which could match across a line end.
    const PreparedPattern* LiteralSearch() const noexcept
    {
        return mode_ == Mode::Literal ? this : literal_.get();
    }

    // 0-based offset of the first occurrence in hay (the first counted one:
    // a whole word, a match of the expression), npos when there is none
    // (always npos for an empty pattern, and for an empty hay unless an
    // expression matches the empty line).
    std::size_t Find(std::string_view hay) const noexcept;
    // Whether hay holds the text (for an expression: it matches somewhere).
    bool In(std::string_view hay) const noexcept
    {
        if (mode_ != Mode::Literal)
            return InOther(hay);
        return InLiteral(hay);
    }
    // Occurrences in a line, overlapping ones included: after each one the
    // search goes on from the byte after its first. At least one.
    std::int64_t Count(std::string_view line) const noexcept;
    // The stretches of the line that the occurrences cover, sorted, those
    // that overlap or touch joined; empty ones left out.
    std::vector<ByteRange> MatchRanges(std::string_view line) const;

    // text: the data that the next lines are cut from, in order (a read
    // buffer), unchanged until the next call. A line that lies inside it is
    // then answered from the occurrences found in text ahead of the line, so
    // that text is searched about once however many lines it holds. An empty
    // text ends this. Only the answers' cost changes.
    void SearchAhead(std::string_view text) const noexcept;

private:
    enum class Mode : unsigned char { Literal, Words, Regex };
    bool InLiteral(std::string_view hay) const noexcept
    {
        const auto begin = reinterpret_cast<std::uintptr_t>(hay.data());
        if (begin >= aheadBegin_ && begin + hay.size() <= aheadEnd_)
            return InAhead(hay);
        return FindLiteral(hay) != std::string_view::npos;
    }
    bool InOther(std::string_view hay) const noexcept;
    std::size_t FindLiteral(std::string_view hay) const noexcept;
    // The first occurrence of the literal, from what SearchAhead found when
    // hay lies in its text.
    std::size_t FirstLiteral(std::string_view hay) const noexcept;
    std::size_t FindWord(std::string_view line, std::size_t at) const noexcept;
    std::size_t AheadFind(std::string_view line) const noexcept;
    bool InAhead(std::string_view line) const noexcept { return AheadFind(line) != std::string_view::npos; }
    // Whether hay at p holds the text (folded first with ignoreCase).
    bool At(const char* p) const noexcept;

    std::string text_;
    bool ignoreCase_ = false;
    Mode mode_ = Mode::Literal;
    std::shared_ptr<const Expression> expression_; // with Mode::Regex
    std::shared_ptr<const PreparedPattern> literal_; // the prefilter as a plain string, beyond Mode::Literal
    std::size_t anchor_ = 0; // offset of the rarest byte within text_
    std::size_t second_ = 0; // offset of the next rarest byte (anchor_ for one byte)
    // A hay byte c matches the byte at anchor_ when (c | anchorCase_) ==
    // anchorWant_: the case bit 0x20 is set on both sides for a letter when
    // case is ignored, so that 'A' and 'a' both match 'A'. The same for second_.
    unsigned char anchorCase_ = 0, anchorWant_ = 0;
    unsigned char secondCase_ = 0, secondWant_ = 0;
    // The text given to SearchAhead, and what is known of it: the first
    // occurrence at or after searched_ (aheadEnd_ when there is none).
    mutable std::uintptr_t aheadBegin_ = 1, aheadEnd_ = 0;
    mutable std::uintptr_t searched_ = 0, occurrence_ = 0;
};

// pattern 1, pattern 2, compare line
using Predicate = bool (*)(const PreparedPattern&, const PreparedPattern&, std::string_view);

bool MatchSingle(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept;
bool MatchAnd(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept;
bool MatchOr(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept;
bool MatchXor(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept;
bool MatchAndNot(const PreparedPattern& p1, const PreparedPattern& p2, std::string_view line) noexcept;

// Items of the operator selector, in order.
inline constexpr int OperatorCount = 4;
inline constexpr const char* OperatorNames[OperatorCount] = {"And", "Or", "Xor", "& Not"};

struct OperatorChoice {
    Predicate predicate;
    std::string description; // shown in the file header after search string 1
};

// The predicate and header description for a run, from the text of search
// string 2 (before folding) and the selected operator index (-1: none).
// Empty when string 2 is not empty and no operator is selected.
std::optional<OperatorChoice> ChooseOperator(std::string_view string2, int operatorIndex);

} // namespace quillo
