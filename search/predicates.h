// Containment, case folding and the five match predicates of a search run.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillo {

// 1-based position of the first occurrence of needle in haystack, compared byte
// for byte; 0 when there is none. An empty needle or haystack gives 0.
std::size_t contains(std::string_view needle, std::string_view haystack) noexcept;

// Maps the bytes 'a'..'z' to 'A'..'Z'; every other byte (those above 127 too)
// is kept. The length never changes.
void FoldCase(std::string_view in, std::string& out);
std::string FoldCase(std::string_view in);
// The same into out[0, in.size()), for callers that keep a buffer of their own.
void FoldCaseInto(std::string_view in, char* out) noexcept;

// A search string made ready once per run: finding it in a line costs a scan
// for its two rarest bytes at their distance plus a comparison at each hit.
class PreparedPattern {
public:
    PreparedPattern() = default;
    explicit PreparedPattern(std::string text);

    const std::string& Text() const noexcept { return text_; }

    // 0-based offset of the first occurrence in hay, npos when there is none
    // (always npos for an empty pattern or an empty hay).
    std::size_t Find(std::string_view hay) const noexcept;
    bool In(std::string_view hay) const noexcept { return Find(hay) != std::string_view::npos; }

private:
    std::string text_;
    std::size_t anchor_ = 0; // offset of the rarest byte within text_
    std::size_t second_ = 0; // offset of the next rarest byte (anchor_ for one byte)
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
