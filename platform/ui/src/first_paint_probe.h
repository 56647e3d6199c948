// A start-up probe for the speed benchmarks: with QUORVEL_PROBE_FIRST_PAINT=CLASS set, the
// first paint of a visible window of that class that reaches the screen writes
// "first-paint CLASS NANOSECONDS" (CLOCK_MONOTONIC) to standard output and ends the process at
// once, so that a launcher can time a start from its fork to that first picture.
#pragma once

#include <windows.h>

namespace ui {

// Called after every present of a window's painted surface; does nothing unless armed.
void NoteWindowPainted(HWND window);

}  // namespace ui
