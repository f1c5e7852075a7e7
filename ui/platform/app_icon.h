// The program's own icon and its name on the desktop.
#pragma once

#include <QIcon>

namespace quillo {

// The name of the desktop entry the program installs
// (share/applications/<name>.desktop), which is also its icon's name.
const char* DesktopEntryId();

// The icon that installs into the icon theme, compiled into the program at
// every size it is rendered in.
QIcon AppIcon();

} // namespace quillo
