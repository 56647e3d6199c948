// Finding windows, the foreground window, focus, capture and thread identities.
#include <windows.h>

#include <unistd.h>

#include <mutex>
#include <unordered_map>

#include "core/dispatch.h"
#include "core/model.h"

using win::core::Model;
using win::core::TheModel;
using win::core::Window;

namespace {

// A window of another program, given a handle of its own the first time it is met.
HWND HandleForForeign(const win::core::ForeignWindow& foreign) {
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  for (auto& [handle, window] : model.windows) {
    if (window->foreign && window->foreign->native_id == foreign.native_id) return handle;
  }
  auto window = std::make_unique<Window>();
  window->handle = model.NewHandle();
  window->foreign = foreign;
  HWND handle = window->handle;
  model.windows.emplace(handle, std::move(window));
  return handle;
}

// Foreign threads get ids of their own kind, distinct from this program's.
DWORD ForeignThreadId(const win::core::ForeignWindow& foreign) {
  return 0x40000000u | static_cast<DWORD>(foreign.native_id & 0x3FFFFFFF);
}

}  // namespace

HWND FindWindowW(LPCWSTR class_name, LPCWSTR window_name) {
  Model& model = TheModel();
  const std::wstring wanted_class = class_name == nullptr ? L"" : win::core::LowerCase(class_name);
  {
    std::shared_lock lock(model.mutex);
    for (HWND handle : model.top_levels) {
      Window* window = model.Find(handle);
      if (window == nullptr || window->destroying) continue;
      if (class_name != nullptr && win::core::LowerCase(window->class_name) != wanted_class)
        continue;
      if (window_name != nullptr && window->title != window_name) continue;
      return handle;
    }
  }
  if (class_name == nullptr) return nullptr;
  const std::wstring title = window_name == nullptr ? L"" : window_name;
  auto foreign =
      win::core::TheBackend().FindForeign(class_name, window_name == nullptr ? nullptr : &title);
  return foreign ? HandleForForeign(*foreign) : nullptr;
}

HWND GetForegroundWindow() {
  if (auto foreign = win::core::TheBackend().ForeignForeground()) return HandleForForeign(*foreign);
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  return model.foreground;
}

BOOL SetForegroundWindow(HWND handle) {
  if (auto foreign = win::core::ForeignIdOf(handle)) {
    win::core::TheBackend().ActivateForeign(*foreign);
    return TRUE;
  }
  Model& model = TheModel();
  HWND previous = nullptr;
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr || window->destroying) return FALSE;
    handle = model.Root(*window).handle;
    previous = model.foreground;
    model.foreground = handle;
    model.Raise(handle);
  }
  win::core::SyncNative(handle);
  win::core::TheBackend().Activate(handle);
  if (previous != handle) {
    if (previous != nullptr)
      SendMessageW(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(handle));
    SendMessageW(handle, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
  }
  return TRUE;
}

HWND GetActiveWindow() {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  return model.foreground;
}

HWND SetActiveWindow(HWND handle) {
  HWND previous = GetActiveWindow();
  return SetForegroundWindow(handle) ? previous : nullptr;
}

HWND SetFocus(HWND handle) {
  Model& model = TheModel();
  HWND previous = nullptr;
  {
    std::unique_lock lock(model.mutex);
    if (handle != nullptr) {
      Window* window = model.FindLocal(handle);
      if (window == nullptr || window->destroying || !model.EnabledChain(*window)) return nullptr;
    }
    previous = model.focus;
    if (previous == handle) return previous;
    model.focus = handle;
  }
  if (previous != nullptr)
    SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
  if (handle != nullptr) SendMessageW(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND GetFocus() {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  return model.focus;
}

HWND SetCapture(HWND handle) {
  Model& model = TheModel();
  HWND previous = nullptr;
  {
    std::unique_lock lock(model.mutex);
    if (model.FindLocal(handle) == nullptr) return nullptr;
    previous = model.capture;
    model.capture = handle;
  }
  if (previous != nullptr && previous != handle) {
    SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(handle));
  }
  return previous;
}

BOOL ReleaseCapture() {
  Model& model = TheModel();
  HWND previous = nullptr;
  {
    std::unique_lock lock(model.mutex);
    previous = model.capture;
    model.capture = nullptr;
  }
  if (previous != nullptr) SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  return model.capture;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (track == nullptr || track->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  Window* window = model.FindLocal(track->hwndTrack);
  if (window == nullptr) return FALSE;
  if ((track->dwFlags & TME_LEAVE) != 0) window->track_leave = (track->dwFlags & TME_CANCEL) == 0;
  return TRUE;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

DWORD GetWindowThreadProcessId(HWND handle, LPDWORD process_id) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.Find(handle);
  if (window == nullptr) return 0;
  if (window->foreign) {
    if (process_id != nullptr) *process_id = window->foreign->process_id;
    return ForeignThreadId(*window->foreign);
  }
  if (process_id != nullptr) *process_id = GetCurrentProcessId();
  return window->thread_id;
}

BOOL AttachThreadInput(DWORD attach, DWORD attach_to, BOOL) {
  return attach != 0 && attach_to != 0 && attach != attach_to ? TRUE : FALSE;
}

namespace win::core {

void ForgetInputState(HWND window) {
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  if (model.focus == window) model.focus = nullptr;
  if (model.capture == window) model.capture = nullptr;
  if (model.hover == window) model.hover = nullptr;
}

}  // namespace win::core
