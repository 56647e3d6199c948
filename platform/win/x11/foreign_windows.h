// Other programs' windows: found by class and title, watched, raised, activated and posted
// to, as a second copy of the program finds the first; and what such programs may post here.
#pragma once

#include <windows.h>

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/backend.h"
#include "x11/connection.h"
#include "x11/window_mirrors.h"

namespace win::core {

class ForeignWindows {
 public:
  // Every call needs the connection's lock; this program's own windows are never foreign.
  ForeignWindows(const Connection& connection, const WindowMirrors& own)
      : connection_(connection), own_(own) {}

  std::optional<ForeignWindow> Find(const std::wstring& class_name, const std::wstring* title);
  bool Alive(std::uint64_t id);
  bool Post(std::uint64_t id, UINT message, WPARAM wparam, LPARAM lparam);
  bool RectOf(std::uint64_t id, RECT* rect);
  void Raise(std::uint64_t id);
  void Activate(std::uint64_t id);
  std::optional<ForeignWindow> Foreground();

  // Without the lock: a message another program posted to window. Any client of the server
  // can send one, so only what carries no pointer and drives nothing gets through.
  static void Accept(HWND window, const XClientMessageEvent& event);

 private:
  DWORD ProcessOf(::Window id);
  std::wstring TitleOf(::Window id);

  const Connection& connection_;
  const WindowMirrors& own_;
};

}  // namespace win::core
