// The X windows that mirror the model's top-level windows: made, changed, shown and drawn as
// the model asks, and told apart from what the window manager or the user did to them.
#pragma once

#include <windows.h>

#include <cairo.h>
#include <X11/Xlib.h>

#include <deque>
#include <optional>
#include <unordered_map>

#include "core/backend.h"
#include "x11/connection.h"
#include "x11/input_method.h"
#include "x11/see_through.h"

namespace win::core {

class WindowMirrors {
 public:
  // Every call needs the connection's lock.
  WindowMirrors(const Connection& connection, InputMethod& input_method);
  ~WindowMirrors();
  WindowMirrors(const WindowMirrors&) = delete;
  WindowMirrors& operator=(const WindowMirrors&) = delete;

  void Create(HWND window, const NativeWindowState& state);
  void Change(HWND window, const NativeWindowState& state);
  void Destroy(HWND window);
  void Raise(HWND window);
  void Activate(HWND window);
  void Present(HWND window, const RECT& area, cairo_surface_t* composed);

  bool IsOurs(::Window id) const { return by_id_.count(id) != 0; }
  HWND HandleOf(::Window id) const;
  XIC InputContextOf(::Window id) const;

  // The server's word on a mirror. Each gives what changed by another's hand (a window
  // manager's, the user's), not the echoes of this program's own requests.
  std::optional<RECT> Configured(HWND window, const XConfigureEvent& event);
  // A map (mapped) or unmap event: whether it minimised or restored the window.
  bool MappedByOthers(HWND window, bool mapped);
  void Focused(HWND window, bool in);

 private:
  struct Mirror {
    ::Window id = 0;
    NativeWindowState state;
    // What this program last asked the server for. The server's map and unmap events for
    // those requests arrive later, possibly after the opposite request: they are counted off
    // as echoes and only the others (a window manager's or another client's) change the mirror.
    bool mapped = false;
    int expected_maps = 0;
    int expected_unmaps = 0;
    // The rectangles this program asked for lately: their configure events are echoes, not
    // moves by the user, and must not move the window back.
    std::deque<RECT> requested;
    // A see-through window: drawn with the alpha visual (gc for its depth), or cut to what shows.
    GC alpha_gc = nullptr;
    bool cut_to_shown = false;
    OpacityMask opacity;
    // Made at the window's first focus (input_method.h), with the events it filters added
    // to the window's own.
    long event_mask = 0;
    bool context_made = false;
    InputContextPtr input_context;
  };

  Mirror* Find(HWND window);
  void Apply(Mirror& mirror, const NativeWindowState& state);
  // The window's shape: its region, and for a window cut to what shows, its shown pixels.
  void Reshape(const Mirror& mirror, const NativeWindowState& state);
  void SetTitle(::Window id, const std::wstring& title);
  void SetTopmost(::Window id, bool topmost);

  const Connection& connection_;
  Display* const display_;
  InputMethod& input_method_;
  AlphaVisual alpha_visual_;  // found once a compositing manager was first seen
  std::unordered_map<HWND, Mirror> mirrors_;
  std::unordered_map<::Window, HWND> by_id_;
};

}  // namespace win::core
