// Where the main window opens: at the place kept in the settings file when
// that place is usable on the screens there are now, else at the layout's
// first place, centred. And the place it has when it closes.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace quillo {

struct WindowPlace;

// How much of the top edge of the window (where its title bar is) must lie on
// one screen's free area for the window to be grabbed and moved: a strip
// this high and at least this wide.
inline constexpr int WindowGrip = 50;
// No window coordinate or size goes beyond this (X11's limit).
inline constexpr int WindowExtentLimit = 32767;

// The inner area the window takes for a stored place, given the free area
// of each screen (without panels and docks) and the window's least size.
// Nothing when the place cannot be used: a value missing or beyond
// -32767..32767, a width or height of 0 or below or smaller than the least
// size, or a window of which no screen's free area holds a strip of its top
// edge 50 pixels high and 50 wide. A width or height larger than the free
// area of the screen that holds most of the window is reduced to it (never
// below the least size), the window moved to that area's edge.
std::optional<QRect> PlaceOnScreens(const WindowPlace& place, const QList<QRect>& freeAreas, QSize least);

// Before the window is first shown: gives it the stored place on the screens
// there are, and maximizes it when it was maximized. A place that cannot be
// used leaves the place the window has, not maximized.
void RestoreWindowPlace(QWidget& window, const WindowPlace& place);

// The place to keep: the window's inner area when not maximized (the one it
// had before it was maximized, if it is), and whether it is maximized.
WindowPlace CurrentWindowPlace(const QWidget& window);

} // namespace quillo
