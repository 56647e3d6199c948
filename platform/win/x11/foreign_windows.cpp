#include "x11/foreign_windows.h"

#include <X11/Xatom.h>

#include <vector>

#include "core/model.h"
#include "core/text_utf8.h"
#include "x11/window_hints.h"

namespace win::core {

void ForeignWindows::Accept(HWND window, const XClientMessageEvent& event) {
  // A second copy's raise, and an inert message that tells a client its earlier events were read.
  const auto message = static_cast<UINT>(event.data.l[0]);
  const auto wparam = static_cast<WPARAM>(event.data.l[1]);
  if (message == WM_SYSCOMMAND && wparam == SC_RESTORE) {
    PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else if (message == WM_NULL) {
    PostMessageW(window, WM_NULL, wparam, 0);
  }
}

DWORD ForeignWindows::ProcessOf(::Window id) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  DWORD pid = 0;
  if (XGetWindowProperty(connection_.display, id, connection_.atoms.net_wm_pid, 0, 1, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data != nullptr && count == 1) {
    pid = static_cast<DWORD>(*reinterpret_cast<long*>(data));
  }
  if (data != nullptr) XFree(data);
  return pid;
}

std::wstring ForeignWindows::TitleOf(::Window id) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::wstring title;
  if (XGetWindowProperty(connection_.display, id, connection_.atoms.net_wm_name, 0, 1024, False,
                         connection_.atoms.utf8_string, &type, &format, &count, &after,
                         &data) == Success &&
      data != nullptr) {
    title = FromUtf8(std::string(reinterpret_cast<char*>(data), count));
  }
  if (data != nullptr) XFree(data);
  return title;
}

std::optional<ForeignWindow> ForeignWindows::Find(const std::wstring& class_name,
                                                  const std::wstring* title) {
  Display* d = connection_.display;
  const std::wstring wanted = LowerCase(class_name);
  // Top-level windows, and the client windows inside a window manager's frames.
  std::vector<::Window> candidates;
  ::Window root = 0;
  ::Window parent = 0;
  ::Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(d, connection_.root, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count; ++i) {
      candidates.push_back(children[i]);
      ::Window* inner = nullptr;
      unsigned int inner_count = 0;
      if (XQueryTree(d, children[i], &root, &parent, &inner, &inner_count)) {
        candidates.insert(candidates.end(), inner, inner + inner_count);
        if (inner != nullptr) XFree(inner);
      }
    }
    if (children != nullptr) XFree(children);
  }
  for (::Window id : candidates) {
    if (own_.IsOurs(id) || LowerCase(ModelClassOf(d, id)) != wanted) continue;
    if (title != nullptr && TitleOf(id) != *title) continue;
    return ForeignWindow{static_cast<std::uint64_t>(id), ProcessOf(id)};
  }
  return std::nullopt;
}

bool ForeignWindows::Alive(std::uint64_t id) {
  XWindowAttributes attributes{};
  ForgetLastError();
  Status status = XGetWindowAttributes(connection_.display, static_cast<::Window>(id), &attributes);
  return status != 0 && !ErrorSinceForgotten();
}

bool ForeignWindows::Post(std::uint64_t id, UINT message, WPARAM wparam, LPARAM lparam) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<::Window>(id);
  event.xclient.message_type = connection_.atoms.quorvel_message;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(message);
  event.xclient.data.l[1] = static_cast<long>(wparam);
  event.xclient.data.l[2] = static_cast<long>(lparam);
  ForgetLastError();
  // An empty mask delivers to the client that created the window: the other program.
  XSendEvent(connection_.display, static_cast<::Window>(id), False, NoEventMask, &event);
  XSync(connection_.display, False);
  return !ErrorSinceForgotten();
}

bool ForeignWindows::RectOf(std::uint64_t id, RECT* rect) {
  Display* d = connection_.display;
  XWindowAttributes attributes{};
  ForgetLastError();
  if (!XGetWindowAttributes(d, static_cast<::Window>(id), &attributes)) return false;
  int x = 0;
  int y = 0;
  ::Window child = 0;
  XTranslateCoordinates(d, static_cast<::Window>(id), connection_.root, 0, 0, &x, &y, &child);
  *rect = RECT{x, y, x + attributes.width, y + attributes.height};
  return !ErrorSinceForgotten();
}

void ForeignWindows::Raise(std::uint64_t id) {
  XRaiseWindow(connection_.display, static_cast<::Window>(id));
  XFlush(connection_.display);
}

void ForeignWindows::Activate(std::uint64_t id) {
  SendActivate(connection_, static_cast<::Window>(id));
  XFlush(connection_.display);
}

std::optional<ForeignWindow> ForeignWindows::Foreground() {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  ::Window active = 0;
  if (XGetWindowProperty(connection_.display, connection_.root, connection_.atoms.net_active, 0, 1,
                         False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
      data != nullptr && count == 1) {
    active = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
  }
  if (data != nullptr) XFree(data);
  if (active == 0 || own_.IsOurs(active)) return std::nullopt;
  return ForeignWindow{static_cast<std::uint64_t>(active), ProcessOf(active)};
}

}  // namespace win::core
