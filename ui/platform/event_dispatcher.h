// The event loop the program runs on.
#pragma once

namespace quillo {

// A search run lets events run every ten lines, hundreds of thousands of times
// a run. Qt's plain Unix event dispatcher does that at about half the cost of
// the GLib one, so the program asks for it before the application object is
// made (a QT_NO_GLIB set in the environment is left as it is). The native
// file dialogs of some desktops need GLib's loop; the program uses Qt's own.
void UseLeanEventDispatcher();

} // namespace quillo
