#include "classroom/meeting_view_capture.h"

#include "base/diagnostics.h"

std::optional<std::size_t> MonitorHolding(POINT point,
                                          const std::vector<DisplayMonitor>& monitors) {
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const RECT& rect = monitors[i].rect;
    if (point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
        point.y < rect.bottom) {
      return i;
    }
  }
  return std::nullopt;
}

std::vector<DisplayMonitor> ReadDisplayMonitors() {
  std::vector<DisplayMonitor> monitors;
  const int count = GetSystemMetrics(SM_CMONITORS);
  for (int index = 0; index < count; ++index) {
    DISPLAY_DEVICEW device{};
    device.cb = sizeof device;
    if (!EnumDisplayDevicesW(nullptr, static_cast<DWORD>(index), &device, 0)) continue;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) continue;
    const LONG x = mode.dmPosition.x;
    const LONG y = mode.dmPosition.y;
    monitors.push_back(
        {static_cast<DWORD>(index), RECT{x, y, x + static_cast<LONG>(mode.dmPelsWidth),
                                         y + static_cast<LONG>(mode.dmPelsHeight)}});
  }
  return monitors;
}

RECT CaptureRegionUnderCursor() {
  RECT region{};
  GetWindowRect(GetDesktopWindow(), &region);
  DebugPrint(L"DesktopWindowRect:l=%d t=%d r=%d b=%d", region.left, region.top, region.right,
             region.bottom);
  POINT cursor{};
  GetCursorPos(&cursor);
  DebugPrint(L"CursorPos:x=%d y=%d", cursor.x, cursor.y);

  const std::vector<DisplayMonitor> monitors = ReadDisplayMonitors();
  const std::optional<std::size_t> holding = MonitorHolding(cursor, monitors);
  // The lines stop at the monitor taken, as the walk over the devices does.
  const std::size_t looked_at = holding ? *holding + 1 : monitors.size();
  for (std::size_t i = 0; i < looked_at; ++i) {
    const RECT& rect = monitors[i].rect;
    DebugPrint(L"Rect of Monitor-%d is x=%d y=%d w=%d h=%d", static_cast<int>(monitors[i].index),
               rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  }
  if (holding) region = monitors[*holding].rect;
  return region;
}
