// Presents asked for on a window's own thread wait until that thread's loop turn ends, when it
// finds nothing more to retrieve: the windows painted in one turn then share one composition of
// their top-level window instead of costing one each. Other threads (the media engine's) present
// at once, as nothing would end a turn for them.
#pragma once

#include <windows.h>

namespace win::core {

// Calling thread only; area in the top-level window's coordinates.
void DeferPresent(HWND top_level, const RECT& area);
// Composes and presents what the calling thread deferred, each top-level window once.
void PresentDeferred();

}  // namespace win::core
