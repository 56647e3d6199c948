// The test hooks of win/headless.h over the headless backend.
#include "win/headless.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "handles/cairo.h"
#include "core/compose.h"
#include "core/input.h"
#include "core/model.h"
#include "core/opened_addresses.h"
#include "core/rect_math.h"
#include "headless/headless_backend.h"

namespace win::headless {

namespace {

core::HeadlessBackend* Headless() {
  return dynamic_cast<core::HeadlessBackend*>(&core::TheBackend());
}

core::MouseButton ToCore(Button button) {
  switch (button) {
    case Button::Left:
      return core::MouseButton::Left;
    case Button::Right:
      return core::MouseButton::Right;
    case Button::Middle:
      return core::MouseButton::Middle;
  }
  return core::MouseButton::Left;
}

// What a key types on a US keyboard: letters, digits and the space bar.
wchar_t CharacterOf(UINT virtual_key, UINT modifiers) {
  if ((modifiers & (MOD_CONTROL | MOD_ALT | MOD_WIN)) != 0) return 0;
  const bool shift = (modifiers & MOD_SHIFT) != 0;
  if (virtual_key >= 'A' && virtual_key <= 'Z') {
    return static_cast<wchar_t>(shift ? virtual_key : virtual_key - 'A' + 'a');
  }
  if (virtual_key >= '0' && virtual_key <= '9' && !shift) return static_cast<wchar_t>(virtual_key);
  if (virtual_key == VK_SPACE) return L' ';
  if (virtual_key == VK_RETURN) return L'\r';
  if (virtual_key == VK_BACK) return L'\b';
  return 0;
}

}  // namespace

bool Active() { return Headless() != nullptr; }

void AdvanceClock(std::int64_t milliseconds) {
  if (auto* backend = Headless()) backend->AdvanceClock(milliseconds);
}

void SetUnixTime(std::int64_t seconds) {
  if (auto* backend = Headless()) backend->SetUnixSeconds(seconds);
}

void ResetMonitors() {
  if (auto* backend = Headless()) backend->ResetMonitors();
}

void AddMonitor(const MonitorLayout& monitor) {
  if (auto* backend = Headless())
    backend->AddMonitor(core::MonitorArea{monitor.monitor, monitor.work});
}

void MoveCursor(int x, int y) {
  if (Headless() != nullptr) core::RouteMouseMove(POINT{x, y});
}

void PressButton(Button button) {
  if (Headless() != nullptr) core::RouteMouseButton(ToCore(button), true);
}

void ReleaseButton(Button button) {
  if (Headless() != nullptr) core::RouteMouseButton(ToCore(button), false);
}

void Click(Button button, int x, int y) {
  MoveCursor(x, y);
  PressButton(button);
  ReleaseButton(button);
}

void PressKey(UINT virtual_key, UINT modifiers) {
  if (Headless() == nullptr) return;
  core::SetModifiers(modifiers);
  core::RouteKey(virtual_key, true, CharacterOf(virtual_key, modifiers), false);
}

void ReleaseKey(UINT virtual_key, UINT modifiers) {
  if (Headless() == nullptr) return;
  core::SetModifiers(modifiers);
  core::RouteKey(virtual_key, false, 0, false);
  core::SetModifiers(0);
}

void TakeHotKeyElsewhere(UINT modifiers, UINT virtual_key, bool taken) {
  if (auto* backend = Headless()) backend->TakeElsewhere(modifiers, virtual_key, taken);
}

bool SaveWindowPng(HWND window, const std::string& path) {
  RECT rect{};
  if (!GetClientRect(window, &rect)) return false;
  handles::CairoSurfacePtr composed = core::ComposeWindow(window, rect);
  return composed &&
         cairo_surface_write_to_png(composed.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool SaveScreenPng(const std::string& path) {
  RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  std::vector<std::pair<HWND, RECT>> shown;  // back to front
  {
    core::Model& model = core::TheModel();
    std::shared_lock lock(model.mutex);
    for (auto it = model.top_levels.rbegin(); it != model.top_levels.rend(); ++it) {
      const core::Window* window = model.Find(*it);
      if (window != nullptr && model.VisibleChain(*window)) shown.emplace_back(*it, window->rect);
    }
  }
  handles::CairoSurfacePtr image(cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, screen.right - screen.left, screen.bottom - screen.top));
  handles::CairoPtr cairo(cairo_create(image.get()));
  cairo_set_source_rgb(cairo.get(), 0, 0, 0);
  cairo_paint(cairo.get());
  for (const auto& [window, rect] : shown) {
    handles::CairoSurfacePtr composed =
        core::ComposeWindow(window, RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top});
    if (!composed) continue;
    cairo_set_source_surface(cairo.get(), composed.get(), rect.left - screen.left,
                             rect.top - screen.top);
    cairo_paint(cairo.get());
  }
  return cairo_surface_write_to_png(image.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::uint32_t WindowPixel(HWND window, int x, int y) {
  RECT client{};
  if (!GetClientRect(window, &client) || !core::Contains(client, POINT{x, y})) return 0;
  handles::CairoSurfacePtr composed = core::ComposeWindow(window, RECT{x, y, x + 1, y + 1});
  if (!composed) return 0;
  cairo_surface_flush(composed.get());
  return *reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(composed.get()));
}

std::vector<std::wstring> OpenedAddresses() {
  return Headless() != nullptr ? core::OpenedAddresses() : std::vector<std::wstring>{};
}

}  // namespace win::headless
