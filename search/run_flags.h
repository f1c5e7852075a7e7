// The two process-wide flags shared between a search run and the other handlers.
// Everything runs on the one UI thread; the run polls CancelRequested after
// letting events run, so plain flags are enough.
#pragma once

namespace quillo {

// Cleared when a run starts; set by Cancel and by closing the main window.
inline bool CancelRequested = false;
// Set for the length of a search run; read by Clear.
inline bool SearchRunning = false;

} // namespace quillo
