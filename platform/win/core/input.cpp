#include "core/input.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "core/dispatch.h"
#include "core/hotkeys.h"
#include "core/model.h"
#include "core/rect_math.h"

namespace win::core {

namespace {

// Windows' defaults for telling a double click from two clicks.
constexpr std::int64_t kDoubleClickMs = 500;
constexpr int kDoubleClickDistance = 4;

struct Drag {
  HWND window = nullptr;
  POINT grab{};  // cursor minus the window's top-left corner
};

struct ClickMemory {
  HWND window = nullptr;
  std::int64_t time_ms = 0;
  POINT point{};
  MouseButton button = MouseButton::Left;
};

struct InputState {
  std::mutex mutex;
  std::array<bool, 3> buttons{};
  std::optional<Drag> drag;
  ClickMemory last_press;
};

InputState& State() {
  static auto* state = new InputState();
  return *state;
}

std::array<std::atomic<bool>, 256>& Keys() {
  static auto* keys = new std::array<std::atomic<bool>, 256>();
  return *keys;
}

std::atomic<UINT> g_modifiers{0};

struct Target {
  HWND window;
  LRESULT hit;
};

bool InRegion(const Window& window, POINT screen, POINT origin) {
  if (!window.region) return true;
  POINT local{screen.x - origin.x, screen.y - origin.y};
  for (const RECT& rect : *window.region) {
    if (Contains(rect, local)) return true;
  }
  return false;
}

// The windows under the point, deepest first, then the windows below them.
std::vector<HWND> WindowsUnder(POINT screen) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  std::vector<HWND> found;
  for (HWND handle : model.top_levels) {
    const Window* top = model.Find(handle);
    if (top == nullptr || top->destroying || !model.VisibleChain(*top)) continue;
    POINT origin{top->rect.left, top->rect.top};
    if (!Contains(top->rect, screen) || !InRegion(*top, screen, origin)) continue;
    std::vector<HWND> chain{handle};
    const Window* at = top;
    for (bool descended = true; descended;) {
      descended = false;
      for (HWND child_handle : at->children) {
        const Window* child = model.Find(child_handle);
        if (child == nullptr || !child->visible_bit() || child->minimized) continue;
        POINT child_origin = model.ScreenOrigin(*child);
        RECT child_rect{child_origin.x, child_origin.y, child_origin.x + child->width(),
                        child_origin.y + child->height()};
        if (!Contains(child_rect, screen) || !InRegion(*child, screen, child_origin)) continue;
        chain.push_back(child_handle);
        at = child;
        descended = true;
        break;
      }
    }
    found.insert(found.end(), chain.rbegin(), chain.rend());
  }
  return found;
}

std::optional<Target> Resolve(POINT screen) {
  Model& model = TheModel();
  {
    std::shared_lock lock(model.mutex);
    if (model.capture != nullptr && model.FindLocal(model.capture) != nullptr) {
      return Target{model.capture, HTCLIENT};
    }
  }
  for (HWND candidate : WindowsUnder(screen)) {
    bool child = false;
    bool enabled = false;
    {
      std::shared_lock lock(model.mutex);
      const Window* window = model.FindLocal(candidate);
      if (window == nullptr) continue;
      child = window->is_child();
      enabled = (window->style & WS_DISABLED) == 0;
    }
    // A disabled child lets its parent have the input; a disabled top-level window eats it.
    if (!enabled) {
      if (child) continue;
      return std::nullopt;
    }
    LRESULT hit = SendMessageW(candidate, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    if (hit == HTTRANSPARENT) continue;
    if (hit == HTNOWHERE || hit == HTERROR) return std::nullopt;
    return Target{candidate, hit};
  }
  return std::nullopt;
}

WPARAM MouseKeys() {
  InputState& state = State();
  WPARAM keys = 0;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.buttons[0]) keys |= MK_LBUTTON;
    if (state.buttons[1]) keys |= MK_RBUTTON;
    if (state.buttons[2]) keys |= MK_MBUTTON;
  }
  UINT modifiers = CurrentModifiers();
  if ((modifiers & MOD_SHIFT) != 0) keys |= MK_SHIFT;
  if ((modifiers & MOD_CONTROL) != 0) keys |= MK_CONTROL;
  return keys;
}

LPARAM ClientPoint(HWND window, POINT screen) {
  POINT client = screen;
  ScreenToClient(window, &client);
  return MAKELPARAM(client.x, client.y);
}

void UpdateHover(HWND now_over) {
  HWND left = nullptr;
  {
    Model& model = TheModel();
    std::unique_lock lock(model.mutex);
    if (model.hover == now_over) return;
    if (Window* previous = model.FindLocal(model.hover)) {
      if (previous->track_leave) {
        previous->track_leave = false;
        left = model.hover;
      }
    }
    model.hover = now_over;
  }
  if (left != nullptr) PostMessageW(left, WM_MOUSELEAVE, 0, 0);
}

UINT ButtonMessage(MouseButton button, bool down, bool double_click) {
  switch (button) {
    case MouseButton::Left:
      return down ? (double_click ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
    case MouseButton::Right:
      return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case MouseButton::Middle:
      return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  }
  return WM_NULL;
}

bool IsDoubleClick(HWND window, MouseButton button, POINT screen) {
  UINT class_style = 0;
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    if (const Window* found = model.FindLocal(window)) class_style = found->class_style;
  }
  const std::int64_t now = TheBackend().clock().NowMs();
  InputState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  ClickMemory& last = state.last_press;
  bool twice = (class_style & CS_DBLCLKS) != 0 && last.window == window && last.button == button &&
               now - last.time_ms <= kDoubleClickMs &&
               std::abs(screen.x - last.point.x) <= kDoubleClickDistance &&
               std::abs(screen.y - last.point.y) <= kDoubleClickDistance;
  // A double click does not start the next one.
  last = twice ? ClickMemory{} : ClickMemory{window, now, screen, button};
  return twice;
}

HWND RootOf(HWND window) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* found = model.FindLocal(window);
  return found == nullptr ? nullptr : model.Root(*found).handle;
}

void ActivateOnPress(HWND root) {
  Model& model = TheModel();
  {
    std::shared_lock lock(model.mutex);
    const Window* found = model.FindLocal(root);
    if (found == nullptr || model.foreground == root || (found->style & WS_DISABLED) != 0) return;
  }
  SetForegroundWindow(root);
}

}  // namespace

void RouteMouseMove(POINT screen) {
  TheModel().SetCachedCursor(screen);
  std::optional<Drag> drag;
  {
    InputState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    drag = state.drag;
  }
  if (drag) {
    RECT rect{};
    if (GetWindowRect(drag->window, &rect)) {
      SetWindowPos(drag->window, nullptr, screen.x - drag->grab.x, screen.y - drag->grab.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return;
  }
  std::optional<Target> target = Resolve(screen);
  UpdateHover(target ? target->window : nullptr);
  if (target && target->hit == HTCLIENT) {
    PostMessageW(target->window, WM_MOUSEMOVE, MouseKeys(), ClientPoint(target->window, screen));
  }
}

void RouteMouseButton(MouseButton button, bool down) {
  const POINT screen = TheModel().CachedCursor();
  InputState& state = State();
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.buttons[static_cast<size_t>(button)] = down;
    if (!down && button == MouseButton::Left && state.drag) {
      state.drag.reset();
      return;
    }
  }
  std::optional<Target> target = Resolve(screen);
  if (!target) return;
  if (down) ActivateOnPress(RootOf(target->window));
  if (target->hit != HTCLIENT) {
    if (!down || button != MouseButton::Left) return;
    HWND root = RootOf(target->window);
    if (TheBackend().BeginSystemDrag(root, screen, target->hit) || target->hit != HTCAPTION) return;
    RECT rect{};
    GetWindowRect(root, &rect);
    std::lock_guard<std::mutex> lock(state.mutex);
    state.drag = Drag{root, POINT{screen.x - rect.left, screen.y - rect.top}};
    return;
  }
  const bool double_click = down && IsDoubleClick(target->window, button, screen);
  PostMessageW(target->window, ButtonMessage(button, down, double_click), MouseKeys(),
               ClientPoint(target->window, screen));
}

void RouteMouseWheel(int delta) {
  const POINT screen = TheModel().CachedCursor();
  std::optional<Target> target = Resolve(screen);
  if (!target) return;
  PostMessageW(target->window, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(MouseKeys()), delta),
               MAKELPARAM(screen.x, screen.y));
}

void SetModifiers(UINT modifiers) { g_modifiers = modifiers; }
UINT CurrentModifiers() { return g_modifiers.load(); }

void RouteKey(UINT virtual_key, bool down, wchar_t character, bool repeat) {
  Keys()[virtual_key & 0xFF] = down;
  if (down && RouteHotKey(CurrentModifiers(), virtual_key, repeat)) return;
  HWND target = nullptr;
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    target = model.FindLocal(model.focus) != nullptr ? model.focus : model.foreground;
  }
  if (target == nullptr) return;
  const bool alt = (CurrentModifiers() & MOD_ALT) != 0 && virtual_key != VK_MENU;
  const UINT message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
  DWORD flags = 1;
  if (repeat) flags |= 1u << 30;
  if (!down) flags |= 3u << 30;
  PostInput(target, message, virtual_key, static_cast<LPARAM>(flags),
            down ? static_cast<DWORD>(character) : 0);
}

bool RouteHotKey(UINT modifiers, UINT virtual_key, bool repeat) {
  std::optional<HotKey> key = FindHotKey(modifiers, virtual_key);
  if (!key) return false;
  if (!(repeat && key->no_repeat)) {
    PostMessageW(key->window, WM_HOTKEY, static_cast<WPARAM>(key->id),
                 MAKELPARAM(static_cast<int>(key->modifiers), static_cast<int>(virtual_key)));
  }
  return true;
}

void RouteCloseRequest(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

void RouteNativeGeometry(HWND window, const RECT& rect) {
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void RouteNativeMinimized(HWND window, bool minimized) {
  if ((IsIconic(window) != FALSE) == minimized) return;
  ShowWindow(window, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
  if (!minimized) {
    Model& model = TheModel();
    std::unique_lock lock(model.mutex);
    if (Window* found = model.FindLocal(window)) found->minimized = false;
  }
}

void RouteNativeActivated(HWND window) {
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  if (model.FindLocal(window) != nullptr) model.foreground = window;
}

}  // namespace win::core

short GetKeyState(int virtual_key) {
  if (virtual_key < 0 || virtual_key > 0xFF) return 0;
  UINT modifiers = win::core::CurrentModifiers();
  bool down = win::core::Keys()[static_cast<size_t>(virtual_key)].load();
  if (virtual_key == static_cast<int>(VK_MENU)) down = down || (modifiers & MOD_ALT) != 0;
  if (virtual_key == static_cast<int>(VK_CONTROL)) down = down || (modifiers & MOD_CONTROL) != 0;
  if (virtual_key == static_cast<int>(VK_SHIFT)) down = down || (modifiers & MOD_SHIFT) != 0;
  if (virtual_key == static_cast<int>(VK_LWIN)) down = down || (modifiers & MOD_WIN) != 0;
  if (virtual_key >= static_cast<int>(VK_LBUTTON) && virtual_key <= static_cast<int>(VK_MBUTTON)) {
    auto& state = win::core::State();
    std::lock_guard<std::mutex> lock(state.mutex);
    size_t index = virtual_key == static_cast<int>(VK_LBUTTON)
                       ? 0
                       : (virtual_key == static_cast<int>(VK_RBUTTON) ? 1 : 2);
    down = state.buttons[index];
  }
  return down ? static_cast<short>(0x8000) : 0;
}

short GetAsyncKeyState(int virtual_key) { return GetKeyState(virtual_key); }
