#include "settings/window_place.h"

namespace quillo {

WindowPlace ReadWindowPlace(const TIniFile& settings)
{
    WindowPlace place;
    place.left = settings.ReadInt(WindowSection, WindowLeftKey, WindowPlace::Unset);
    place.top = settings.ReadInt(WindowSection, WindowTopKey, WindowPlace::Unset);
    place.width = settings.ReadInt(WindowSection, WindowWidthKey, WindowPlace::Unset);
    place.height = settings.ReadInt(WindowSection, WindowHeightKey, WindowPlace::Unset);
    place.maximized = settings.ReadFlag(WindowSection, WindowMaximizedKey, false);
    return place;
}

void AddWindowPlace(ProfileChanges& changes, const WindowPlace& place)
{
    changes.SetInt(WindowSection, WindowLeftKey, place.left)
        .SetInt(WindowSection, WindowTopKey, place.top)
        .SetInt(WindowSection, WindowWidthKey, place.width)
        .SetInt(WindowSection, WindowHeightKey, place.height)
        .SetFlag(WindowSection, WindowMaximizedKey, place.maximized);
}

} // namespace quillo
