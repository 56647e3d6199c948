// A window's picture with its visible children drawn over it, each clipped to its parent
// and to its window region.
#pragma once

#include <windows.h>

#include "handles/cairo.h"

namespace win::core {

// The part of the window given by area (window coordinates), as an area-sized image;
// null for a window that does not exist.
handles::CairoSurfacePtr ComposeWindow(HWND window, const RECT& area);

}  // namespace win::core
