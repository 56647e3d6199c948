// Regions as unions of rectangles, and window regions.
#include <windows.h>

#include <algorithm>
#include <mutex>

#include "core/dispatch.h"
#include "core/gdi_objects.h"
#include "core/model.h"
#include "core/rect_math.h"

namespace {

int KindOf(const win::core::Region& region) {
  if (region.rects.empty()) return NULLREGION;
  return region.rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT Bounds(const win::core::Region& region) {
  RECT bounds{};
  for (const RECT& rect : region.rects) bounds = win::core::Union(bounds, rect);
  return bounds;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  win::core::Region region;
  RECT rect{std::min(left, right), std::min(top, bottom), std::max(left, right),
            std::max(top, bottom)};
  if (!win::core::IsEmpty(rect)) region.rects.push_back(rect);
  return reinterpret_cast<HRGN>(win::core::StoreObject(region));
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
  auto first = win::core::RegionOf(source1);
  if (!first || !win::core::RegionOf(destination)) return ERROR;
  win::core::Region result;
  if (mode == RGN_COPY) {
    result = *first;
  } else {
    auto second = win::core::RegionOf(source2);
    if (!second) return ERROR;
    if (mode == RGN_OR) {
      result = *first;
      result.rects.insert(result.rects.end(), second->rects.begin(), second->rects.end());
    } else if (mode == RGN_AND) {
      for (const RECT& a : first->rects) {
        for (const RECT& b : second->rects) {
          RECT both = win::core::Intersect(a, b);
          if (!win::core::IsEmpty(both)) result.rects.push_back(both);
        }
      }
    } else {
      return ERROR;
    }
  }
  if (!win::core::ReplaceRegion(destination, result)) return ERROR;
  return KindOf(result);
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  auto region = win::core::RegionOf(handle);
  if (!region) return FALSE;
  return std::any_of(region->rects.begin(), region->rects.end(),
                     [&](const RECT& rect) {
                       return win::core::Contains(rect, POINT{x, y});
                     })
             ? TRUE
             : FALSE;
}

int GetRgnBox(HRGN handle, LPRECT rect) {
  auto region = win::core::RegionOf(handle);
  if (!region || rect == nullptr) return ERROR;
  *rect = Bounds(*region);
  return KindOf(*region);
}

int SetWindowRgn(HWND window, HRGN handle, BOOL redraw) {
  std::optional<std::vector<RECT>> rects;
  if (handle != nullptr) {
    auto region = win::core::RegionOf(handle);
    if (!region) return 0;
    rects = region->rects;
  }
  win::core::Model& model = win::core::TheModel();
  RECT old_screen{};
  bool child = false;
  {
    std::unique_lock lock(model.mutex);
    win::core::Window* found = model.FindLocal(window);
    if (found == nullptr) return 0;
    found->region = std::move(rects);
    old_screen = model.ScreenRect(*found);
    child = found->is_child();
  }
  // The window owns the region now; the handle is gone.
  if (handle != nullptr) win::core::AdoptRegion(handle);
  if (child) {
    if (redraw) win::core::RefreshAfterChange(window, old_screen);
  } else {
    win::core::SyncNative(window);
  }
  return 1;
}
