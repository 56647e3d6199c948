// Which part of the screen the classroom shares: the monitor under the mouse, or the whole
// desktop when no monitor holds it.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

struct DisplayMonitor {
  DWORD index;  // the display device's index
  RECT rect;    // from its current position and size
};

// The first monitor whose rectangle holds the point, right and bottom edges excluded.
std::optional<std::size_t> MonitorHolding(POINT point, const std::vector<DisplayMonitor>& monitors);

// The display devices below the system's monitor count whose current settings can be read.
std::vector<DisplayMonitor> ReadDisplayMonitors();

// The desktop window's rectangle, or the monitor under the cursor; writes the diagnostic
// lines of the choice (the desktop, the cursor, each monitor looked at).
RECT CaptureRegionUnderCursor();
