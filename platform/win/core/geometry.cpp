// Showing, placing and stacking windows, and reading their rectangles.
#include <windows.h>

#include <algorithm>
#include <mutex>

#include "core/dispatch.h"
#include "core/model.h"
#include "core/rect_math.h"
#include "core/screen_model.h"
#include "core/surface_store.h"

using win::core::Model;
using win::core::TheModel;
using win::core::Window;

namespace {

bool IsShowCommand(int command) {
  return command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_SHOWNA ||
         command == SW_SHOWNOACTIVATE || command == SW_RESTORE || command == SW_SHOWMAXIMIZED;
}

bool Activates(int command) {
  return command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_RESTORE ||
         command == SW_SHOWMAXIMIZED;
}

bool IsMinimizeCommand(int command) {
  return command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE;
}

// Applies a new rectangle: resizes the surface, sends WM_MOVE and WM_SIZE, asks for paint.
void ApplyRect(HWND handle, const RECT& rect, bool repaint) {
  Model& model = TheModel();
  RECT old_screen{};
  bool moved = false;
  bool sized = false;
  bool child = false;
  std::shared_ptr<win::Surface> surface;
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr) return;
    old_screen = model.ScreenRect(*window);
    moved = rect.left != window->rect.left || rect.top != window->rect.top;
    sized = rect.right - rect.left != window->width() || rect.bottom - rect.top != window->height();
    window->rect = rect;
    child = window->is_child();
    surface = window->surface;
  }
  if (sized) {
    std::lock_guard<std::mutex> lock(surface->mutex());
    surface->Resize(rect.right - rect.left, rect.bottom - rect.top);
  }
  if (!moved && !sized) return;
  if (!child) win::core::SyncNative(handle);
  if (moved) SendMessageW(handle, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
  if (sized) {
    SendMessageW(handle, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
    if (repaint) win::core::Invalidate(handle, nullptr, true);
  }
  if (child) win::core::RefreshAfterChange(handle, old_screen);
}

void ActivateWindow(HWND handle) {
  Model& model = TheModel();
  {
    std::shared_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr || window->is_child() || (window->style & WS_DISABLED) != 0) return;
  }
  SetForegroundWindow(handle);
}

}  // namespace

BOOL ShowWindow(HWND handle, int command) {
  Model& model = TheModel();
  bool was_visible = false;
  bool restore = false;
  bool minimize = false;
  bool child = false;
  RECT old_screen{};
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr || window->destroying) return FALSE;
    was_visible = window->visible_bit();
    child = window->is_child();
    old_screen = model.ScreenRect(*window);
    restore = window->minimized && (command == SW_RESTORE || command == SW_SHOWNORMAL);
    minimize = IsMinimizeCommand(command) && !window->minimized;
  }
  if (command == SW_HIDE) {
    if (!was_visible) return FALSE;
    SendMessageW(handle, WM_SHOWWINDOW, FALSE, 0);
    {
      std::unique_lock lock(model.mutex);
      if (Window* window = model.FindLocal(handle)) window->style &= ~WS_VISIBLE;
      if (model.focus == handle || model.IsDescendant(handle, model.focus)) model.focus = nullptr;
      if (model.foreground == handle) model.foreground = nullptr;
    }
  } else if (IsShowCommand(command) || IsMinimizeCommand(command)) {
    if (!was_visible) SendMessageW(handle, WM_SHOWWINDOW, TRUE, 0);
    {
      std::unique_lock lock(model.mutex);
      if (Window* window = model.FindLocal(handle)) {
        window->style |= WS_VISIBLE;
        if (restore) window->minimized = false;
        if (minimize) window->minimized = true;
      }
    }
    if (restore) {
      RECT rect{};
      GetClientRect(handle, &rect);
      SendMessageW(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right, rect.bottom));
    }
    if (minimize) SendMessageW(handle, WM_SIZE, SIZE_MINIMIZED, 0);
    if (command == SW_SHOWMAXIMIZED && !child) {
      RECT work = win::core::PrimaryMonitor().work;
      {
        std::unique_lock lock(model.mutex);
        if (Window* window = model.FindLocal(handle)) window->maximized = true;
      }
      ApplyRect(handle, work, true);
    }
    if (!was_visible || restore) win::core::Invalidate(handle, nullptr, true);
  } else {
    return was_visible ? TRUE : FALSE;
  }
  if (child) {
    win::core::RefreshAfterChange(handle, old_screen);
  } else {
    win::core::SyncNative(handle);
    if (Activates(command)) ActivateWindow(handle);
  }
  return was_visible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND handle) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  return window != nullptr && model.VisibleChain(*window) ? TRUE : FALSE;
}

BOOL IsIconic(HWND handle) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  return window != nullptr && window->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND handle) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  return window != nullptr && window->maximized ? TRUE : FALSE;
}

BOOL EnableWindow(HWND handle, BOOL enable) {
  Model& model = TheModel();
  bool was_disabled = false;
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr) return FALSE;
    was_disabled = (window->style & WS_DISABLED) != 0;
    if (was_disabled == !enable) return was_disabled ? TRUE : FALSE;
    if (enable) {
      window->style &= ~WS_DISABLED;
    } else {
      window->style |= WS_DISABLED;
      if (model.focus == handle || model.IsDescendant(handle, model.focus)) model.focus = nullptr;
      if (model.capture == handle) model.capture = nullptr;
    }
  }
  SendMessageW(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return was_disabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND handle) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  return window != nullptr && (window->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(handle, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND handle, HWND insert_after, int x, int y, int width, int height, UINT flags) {
  bool exists = false;
  if (auto foreign = win::core::ForeignIdOf(handle, &exists)) {
    if ((flags & SWP_NOZORDER) == 0) win::core::TheBackend().RaiseForeign(*foreign);
    return TRUE;
  }
  if (!exists) return FALSE;
  Model& model = TheModel();
  RECT rect{};
  bool child = false;
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr || window->destroying) return FALSE;
    child = window->is_child();
    rect = window->rect;
    if ((flags & SWP_NOMOVE) == 0) rect = win::core::Offset(rect, x - rect.left, y - rect.top);
    if ((flags & SWP_NOSIZE) == 0) {
      rect.right = rect.left + std::max(width, 0);
      rect.bottom = rect.top + std::max(height, 0);
    }
    if ((flags & SWP_NOZORDER) == 0) {
      if (insert_after == HWND_TOPMOST) {
        model.SetTopmost(handle, true);
        model.Raise(handle);
      } else if (insert_after == HWND_NOTOPMOST) {
        // Leaves a normal window where it is; a topmost one goes to the top of the normal band.
        if (window->topmost()) {
          model.SetTopmost(handle, false);
          model.Raise(handle);
        }
      } else if (insert_after == HWND_TOP) {
        model.Raise(handle);
      } else if (insert_after == HWND_BOTTOM) {
        model.SetTopmost(handle, false);
        model.Lower(handle);
      } else if (model.Find(insert_after) != nullptr) {
        model.PlaceBelow(handle, insert_after);
      }
    }
  }
  ApplyRect(handle, rect, (flags & SWP_NOREDRAW) == 0);
  if ((flags & SWP_NOZORDER) == 0) {
    if (child) {
      win::core::RefreshAfterChange(handle, RECT{});
    } else {
      win::core::SyncNative(handle);
      win::core::TheBackend().Raise(handle);
    }
  }
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(handle, SW_SHOWNA);
  if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(handle, SW_HIDE);
  return TRUE;
}

BOOL BringWindowToTop(HWND handle) {
  return SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
  if (rect == nullptr) return FALSE;
  if (handle == win::core::DesktopHandle()) {
    *rect = win::core::PrimaryMonitor().monitor;
    return TRUE;
  }
  Model& model = TheModel();
  std::uint64_t foreign_id = 0;
  {
    std::shared_lock lock(model.mutex);
    Window* window = model.Find(handle);
    if (window == nullptr) return FALSE;
    if (!window->foreign) {
      *rect = model.ScreenRect(*window);
      return TRUE;
    }
    foreign_id = window->foreign->native_id;
  }
  return win::core::TheBackend().RectOfForeign(foreign_id, rect) ? TRUE : FALSE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
  if (rect == nullptr) return FALSE;
  RECT window_rect{};
  if (!GetWindowRect(handle, &window_rect)) return FALSE;
  *rect = RECT{0, 0, window_rect.right - window_rect.left, window_rect.bottom - window_rect.top};
  return TRUE;
}

BOOL ClientToScreen(HWND handle, LPPOINT point) {
  RECT rect{};
  if (point == nullptr || !GetWindowRect(handle, &rect)) return FALSE;
  point->x += rect.left;
  point->y += rect.top;
  return TRUE;
}

BOOL ScreenToClient(HWND handle, LPPOINT point) {
  RECT rect{};
  if (point == nullptr || !GetWindowRect(handle, &rect)) return FALSE;
  point->x -= rect.left;
  point->y -= rect.top;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  RECT from_rect{};
  RECT to_rect{};
  if (from != nullptr && !GetWindowRect(from, &from_rect)) return 0;
  if (to != nullptr && !GetWindowRect(to, &to_rect)) return 0;
  const LONG dx = from_rect.left - to_rect.left;
  const LONG dy = from_rect.top - to_rect.top;
  for (UINT i = 0; i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return static_cast<int>(MAKELPARAM(dx, dy));
}

HWND GetParent(HWND handle) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  if (window == nullptr) return nullptr;
  if (window->is_child()) return window->parent;
  return (window->style & WS_POPUP) != 0 ? window->owner : nullptr;
}

HWND GetWindow(HWND handle, UINT command) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  if (window == nullptr) return nullptr;
  if (command == GW_OWNER) return window->is_child() ? nullptr : window->owner;
  if (command == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
  const std::vector<HWND>* siblings = &model.top_levels;
  if (window->is_child()) {
    Window* parent = model.Find(window->parent);
    if (parent == nullptr) return nullptr;
    siblings = &parent->children;
  }
  if (siblings->empty()) return nullptr;
  if (command == GW_HWNDFIRST) return siblings->front();
  if (command == GW_HWNDLAST) return siblings->back();
  auto at = std::find(siblings->begin(), siblings->end(), handle);
  if (at == siblings->end()) return nullptr;
  if (command == GW_HWNDNEXT) return at + 1 == siblings->end() ? nullptr : *(at + 1);
  if (command == GW_HWNDPREV) return at == siblings->begin() ? nullptr : *(at - 1);
  return nullptr;
}

HWND GetAncestor(HWND handle, UINT flags) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  if (window == nullptr) return nullptr;
  if (flags == GA_PARENT) return window->is_child() ? window->parent : win::core::DesktopHandle();
  Window* root = &model.Root(*window);
  if (flags == GA_ROOTOWNER) {
    while (root->owner != nullptr) {
      Window* owner = model.FindLocal(root->owner);
      if (owner == nullptr) break;
      root = &model.Root(*owner);
    }
  }
  return root->handle;
}

BOOL IsChild(HWND parent, HWND handle) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  return model.IsDescendant(parent, handle) ? TRUE : FALSE;
}

HWND GetDesktopWindow() { return win::core::DesktopHandle(); }
