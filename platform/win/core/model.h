// The one in-memory model of the window system: classes, windows (with their relations,
// rectangles, styles, regions and z-order) and the input state (focus, capture, foreground).
//
// Everything here is guarded by Model::mutex. Window procedures are never called with the
// lock held: callers copy what they need, unlock, then call. Handles come from a counter and
// are never reused, so a stale handle simply finds nothing.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/backend.h"

namespace win {
class Surface;
}

namespace win::core {

class ThreadQueue;

struct WindowClass {
  std::wstring name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HBRUSH background = nullptr;
};

struct Window {
  HWND handle = nullptr;
  std::wstring class_name;
  UINT class_style = 0;
  HBRUSH background = nullptr;
  WNDPROC procedure = nullptr;
  std::wstring title;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND parent = nullptr;       // WS_CHILD windows only
  HWND owner = nullptr;        // top-level windows only
  RECT rect{};                 // the parent's client space for a child, the screen otherwise
  std::vector<HWND> children;  // front to back
  LONG_PTR user_data = 0;
  LONG_PTR id = 0;
  HINSTANCE instance = nullptr;
  std::shared_ptr<ThreadQueue> queue;
  DWORD thread_id = 0;
  std::shared_ptr<win::Surface> surface;
  std::optional<std::vector<RECT>> region;  // window coordinates
  std::optional<RECT> update;               // client coordinates
  bool erase_pending = false;
  bool minimized = false;
  bool maximized = false;
  bool destroying = false;
  bool track_leave = false;
  std::optional<ForeignWindow> foreign;  // a window of another program
  HICON big_icon = nullptr;  // WM_SETICON's; the screen shows the big one, else the small
  HICON small_icon = nullptr;

  bool visible_bit() const { return (style & WS_VISIBLE) != 0; }
  bool is_child() const { return (style & WS_CHILD) != 0; }
  bool topmost() const { return (ex_style & WS_EX_TOPMOST) != 0; }
  int width() const { return rect.right - rect.left; }
  int height() const { return rect.bottom - rect.top; }
};

class Model {
 public:
  std::shared_mutex mutex;
  std::unordered_map<HWND, std::unique_ptr<Window>> windows;
  std::vector<HWND> top_levels;                           // z-order, front to back
  std::unordered_map<std::wstring, WindowClass> classes;  // by lower-cased name
  HWND foreground = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  HWND hover = nullptr;  // the window the cursor is over, for WM_MOUSELEAVE

  // The last known cursor position, readable without the lock (every message carries it).
  POINT CachedCursor() const;
  void SetCachedCursor(POINT point);

  HWND NewHandle();

  // The rest require the lock (shared is enough for the const ones).
  Window* Find(HWND window) const;
  Window* FindLocal(HWND window) const;  // not a foreign window
  // The client origin in screen coordinates.
  POINT ScreenOrigin(const Window& window) const;
  RECT ScreenRect(const Window& window) const;
  bool VisibleChain(const Window& window) const;
  bool EnabledChain(const Window& window) const;
  Window& Root(Window& window) const;
  bool IsDescendant(HWND ancestor, HWND window) const;
  NativeWindowState NativeState(const Window& window) const;
  // Restores the stacking rules after a change: owned windows above their owner, the topmost
  // band above the rest.
  void NormalizeZOrder();
  // Moves a window to the top of its band (a child: of its siblings), with what it owns.
  void Raise(HWND window);
  void Lower(HWND window);
  void PlaceBelow(HWND window, HWND above);
  void SetTopmost(HWND window, bool topmost);  // with the windows it owns
  std::vector<HWND> OwnedBy(HWND owner) const;

 private:
  std::vector<HWND>* SiblingList(const Window& window);
  // Takes the window out of its siblings, lets place put it back, and restores the rules.
  template <typename Place>
  void Restack(HWND window, Place place);

  std::atomic<std::uint64_t> cursor_{0};
};

Model& TheModel();

std::wstring LowerCase(const std::wstring& text);

}  // namespace win::core
