// The GDI objects (brushes, fonts, regions) and device contexts behind their handles.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

namespace win {
class Surface;
}

namespace win::core {

struct Brush {
  COLORREF color;
  bool hollow = false;
};
struct Font {
  LOGFONTW description;
};
struct Region {
  std::vector<RECT> rects;  // their union; never empty rectangles
};
using GdiObject = std::variant<Brush, Font, Region>;

struct DeviceContext {
  HWND window = nullptr;
  std::shared_ptr<win::Surface> surface;
  HFONT font = nullptr;
  HBRUSH brush = nullptr;
  COLORREF text_color = 0;
  COLORREF background_color = 0xFFFFFF;
  int background_mode = OPAQUE;
  RECT drawn{};  // what was drawn, to present on release
};

// Copies of the object's data, taken under the table's lock.
std::optional<GdiObject> LookupObject(HGDIOBJ handle);
std::optional<LOGFONTW> FontOf(HFONT font);  // stock and created fonts
std::optional<COLORREF> BrushColor(HBRUSH brush);
std::optional<Region> RegionOf(HRGN region);
// Takes the region's rectangles out of the table (a window now owns them).
std::optional<Region> AdoptRegion(HRGN region);
LOGFONTW DefaultGuiFont();
HGDIOBJ StoreObject(GdiObject object);
bool ReplaceRegion(HRGN handle, Region region);
bool EraseObject(HGDIOBJ handle);  // false for stock objects and bad handles
HGDIOBJ StockObject(int index);

// Runs f with the context, under the table's lock; false for a bad handle.
template <typename F>
bool WithContext(HDC dc, F&& f);
DeviceContext* FindContextLocked(HDC dc);
std::unique_lock<std::mutex> LockContexts();

template <typename F>
bool WithContext(HDC dc, F&& f) {
  auto lock = LockContexts();
  DeviceContext* context = FindContextLocked(dc);
  if (context == nullptr) return false;
  f(*context);
  return true;
}

HDC CreateContext(HWND window);
// Removes the context; returns it for the caller to present what it drew.
std::optional<DeviceContext> RemoveContext(HDC dc);

}  // namespace win::core
