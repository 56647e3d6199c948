// Monitors, display devices, system metrics and the cursor.
#include <windows.h>

#include <cwchar>
#include <mutex>
#include <string>

#include "core/model.h"
#include "core/rect_math.h"
#include "core/screen_model.h"

namespace win::core {

std::vector<MonitorArea> Monitors() { return TheBackend().Monitors(); }

MonitorArea PrimaryMonitor() {
  std::vector<MonitorArea> all = Monitors();
  return all.empty() ? MonitorArea{RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 1040}} : all.front();
}

}  // namespace win::core

namespace {

// Monitor handles are their index + 1.
HMONITOR HandleOf(size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

HMONITOR Fallback(const std::vector<win::core::MonitorArea>& monitors, DWORD flags, POINT near) {
  if (flags == MONITOR_DEFAULTTONULL || monitors.empty()) return nullptr;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return HandleOf(0);
  size_t best = 0;
  long best_distance = -1;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const RECT& r = monitors[i].monitor;
    long dx = near.x < r.left ? r.left - near.x : (near.x >= r.right ? near.x - r.right + 1 : 0);
    long dy = near.y < r.top ? r.top - near.y : (near.y >= r.bottom ? near.y - r.bottom + 1 : 0);
    long distance = dx * dx + dy * dy;
    if (best_distance < 0 || distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return HandleOf(best);
}

std::wstring DeviceName(size_t index) { return L"\\\\.\\DISPLAY" + std::to_wstring(index + 1); }

void CopyName(WCHAR* out, size_t size, const std::wstring& text) {
  std::wcsncpy(out, text.c_str(), size - 1);
  out[size - 1] = L'\0';
}

}  // namespace

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  auto monitors = win::core::Monitors();
  for (size_t i = 0; i < monitors.size(); ++i) {
    if (win::core::Contains(monitors[i].monitor, point)) return HandleOf(i);
  }
  return Fallback(monitors, flags, point);
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
  auto monitors = win::core::Monitors();
  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect)) {
    return monitors.empty() ? nullptr : (flags == MONITOR_DEFAULTTONULL ? nullptr : HandleOf(0));
  }
  size_t best = 0;
  long best_area = 0;
  for (size_t i = 0; i < monitors.size(); ++i) {
    long area = win::core::Area(win::core::Intersect(monitors[i].monitor, rect));
    if (area > best_area) {
      best = i;
      best_area = area;
    }
  }
  if (best_area > 0) return HandleOf(best);
  return Fallback(monitors, flags,
                  POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  if (info == nullptr || info->cbSize < sizeof(MONITORINFO)) return FALSE;
  auto monitors = win::core::Monitors();
  auto index = reinterpret_cast<std::uintptr_t>(monitor);
  if (index == 0 || index > monitors.size()) return FALSE;
  info->rcMonitor = monitors[index - 1].monitor;
  info->rcWork = monitors[index - 1].work;
  info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

int GetSystemMetrics(int index) {
  auto monitors = win::core::Monitors();
  RECT primary = win::core::PrimaryMonitor().monitor;
  RECT all{};
  for (const auto& monitor : monitors) all = win::core::Union(all, monitor.monitor);
  switch (index) {
    case SM_CXSCREEN:
      return primary.right - primary.left;
    case SM_CYSCREEN:
      return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN:
      return all.left;
    case SM_YVIRTUALSCREEN:
      return all.top;
    case SM_CXVIRTUALSCREEN:
      return all.right - all.left;
    case SM_CYVIRTUALSCREEN:
      return all.bottom - all.top;
    case SM_CMONITORS:
      return static_cast<int>(monitors.size());
    default:
      return 0;
  }
}

BOOL EnumDisplayDevicesW(LPCWSTR device, DWORD index, DISPLAY_DEVICEW* display_device, DWORD) {
  if (device != nullptr || display_device == nullptr ||
      display_device->cb < sizeof(DISPLAY_DEVICEW)) {
    return FALSE;
  }
  auto monitors = win::core::Monitors();
  if (index >= monitors.size()) return FALSE;
  CopyName(display_device->DeviceName, 32, DeviceName(index));
  CopyName(display_device->DeviceString, 128, L"Quorvel display");
  display_device->StateFlags =
      DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | (index == 0 ? DISPLAY_DEVICE_PRIMARY_DEVICE : 0);
  CopyName(display_device->DeviceID, 128, L"QUORVEL\\DISPLAY" + std::to_wstring(index + 1));
  CopyName(display_device->DeviceKey, 128, L"");
  return TRUE;
}

BOOL EnumDisplaySettingsW(LPCWSTR device_name, DWORD mode, DEVMODEW* dev_mode) {
  if (dev_mode == nullptr || mode != ENUM_CURRENT_SETTINGS) return FALSE;
  auto monitors = win::core::Monitors();
  size_t index = 0;
  if (device_name != nullptr) {
    index = monitors.size();
    for (size_t i = 0; i < monitors.size(); ++i) {
      if (DeviceName(i) == device_name) index = i;
    }
  }
  if (index >= monitors.size()) return FALSE;
  const RECT& rect = monitors[index].monitor;
  CopyName(dev_mode->dmDeviceName, 32, DeviceName(index));
  dev_mode->dmSize = sizeof(DEVMODEW);
  dev_mode->dmFields =
      DM_POSITION | DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  dev_mode->dmPosition = POINTL{rect.left, rect.top};
  dev_mode->dmBitsPerPel = 32;
  dev_mode->dmPelsWidth = static_cast<DWORD>(rect.right - rect.left);
  dev_mode->dmPelsHeight = static_cast<DWORD>(rect.bottom - rect.top);
  dev_mode->dmDisplayFrequency = 60;
  return TRUE;
}

BOOL GetCursorPos(LPPOINT point) {
  if (point == nullptr) return FALSE;
  win::core::Model& model = win::core::TheModel();
  if (auto queried = win::core::TheBackend().QueryCursor()) {
    model.SetCachedCursor(*queried);
    *point = *queried;
  } else {
    *point = model.CachedCursor();
  }
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  win::core::TheModel().SetCachedCursor(POINT{x, y});
  win::core::TheBackend().WarpCursor(POINT{x, y});
  return TRUE;
}
