// The main window's place between runs, kept in the section "Window" of the
// settings file: the window's inner area as it is when not maximized (left,
// top, width and height in pixels) and whether it is maximized. Written at
// close in the same write as the options.
#pragma once

#include "settings/ini_file.h"

#include <climits>
#include <string_view>

namespace quillo {

inline constexpr std::string_view WindowSection = "Window";
inline constexpr std::string_view WindowLeftKey = "Left";
inline constexpr std::string_view WindowTopKey = "Top";
inline constexpr std::string_view WindowWidthKey = "Width";
inline constexpr std::string_view WindowHeightKey = "Height";
inline constexpr std::string_view WindowMaximizedKey = "Maximized";

struct WindowPlace {
    // What a missing or unreadable key reads as: no window has it.
    static constexpr int Unset = INT_MIN;

    int left = Unset;
    int top = Unset;
    int width = Unset;
    int height = Unset;
    bool maximized = false;
};

// The integers as the options read theirs; "Maximized" is a flag, off unless
// stored otherwise.
WindowPlace ReadWindowPlace(const TIniFile& settings);

// Adds Left, Top, Width, Height and Maximized, in that order, to changes that
// are written together with the options.
void AddWindowPlace(ProfileChanges& changes, const WindowPlace& place);

} // namespace quillo
