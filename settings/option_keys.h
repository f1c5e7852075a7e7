// The options kept in the settings file: section "Options", its keys in the
// order they are read at start-up and written at close, their defaults, and
// the main-window control each one belongs to. "Line Numbering"
// (OptionNumbering) is deliberately absent: it is off at every start.
#pragma once

#include <array>
#include <string_view>

namespace quillo {

inline constexpr std::string_view OptionsSection = "Options";

struct OptionFlagKey {
    std::string_view key;
    bool defaultOn;
    std::string_view control; // object name of the check box
};

inline constexpr std::array<OptionFlagKey, 10> OptionFlagKeys{{
    {"Count Lines", true, "OptionLineCount"},
    {"Count Words", false, "OptionWordCount"},
    {"Progress Indicator", true, "OptionProgress"},
    {"Total Clear", false, "OptionClearAll"},
    {"Load file list", false, "OptionLoadList"},
    {"Case Sensitive", false, "OptionCase"},
    {"Reverse Logic", false, "OptionReverse"},
    {"Safe After", false, "OptionSave"},
    {"Unix File", true, "OptionUnixFile"}, // Linux text files end their lines with LF
    {"One Instance", false, "OptionOneInstance"},
}};

// Read and written after the flags: the item index of FOperator, -1 for none.
inline constexpr std::string_view DefaultOperatorKey = "Default Operator";
inline constexpr int DefaultOperatorDefault = 0;
inline constexpr std::string_view DefaultOperatorControl = "FOperator";
inline constexpr int OperatorItemCount = 4; // "And", "Or", "Xor", "& Not"

} // namespace quillo
