#include <set>
#include <string>

#include "ui/ui_window.h"
#include "modal_hooks.h"

namespace ui {

bool CWindowWnd::RegisterWindowClass() {
  static std::set<std::wstring> registered;
  const std::wstring name = GetWindowClassName();
  if (registered.count(name) != 0) return true;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = GetClassStyle();
  window_class.lpfnWndProc = &CWindowWnd::WindowProc;
  window_class.hInstance = CPaintManagerUI::GetInstance();
  window_class.lpszClassName = name.c_str();
  if (RegisterClassExW(&window_class) == 0) return false;
  registered.insert(name);
  return true;
}

HWND CWindowWnd::Create(HWND parent, LPCTSTR name, DWORD style, DWORD ex_style, int x, int y,
                        int cx, int cy, HMENU menu) {
  if (!RegisterWindowClass()) return nullptr;
  return CreateWindowExW(ex_style, GetWindowClassName(), name != nullptr ? name : L"", style, x, y,
                         cx, cy, parent, menu, CPaintManagerUI::GetInstance(), this);
}

LRESULT CWindowWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWindowWnd* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = static_cast<CWindowWnd*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message != WM_NCDESTROY) return self->HandleMessage(message, wParam, lParam);
  const LRESULT result = self->HandleMessage(message, wParam, lParam);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  self->window_ = nullptr;
  // Last: the object may delete itself here.
  self->OnFinalMessage(window);
  return result;
}

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window_, message, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

void CWindowWnd::ShowWindow(bool show, bool take_focus) {
  if (window_ == nullptr) return;
  ::ShowWindow(window_, show ? (take_focus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::CenterWindow() {
  if (window_ == nullptr) return;
  RECT rect{};
  GetWindowRect(window_, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const bool child = (static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)) & WS_CHILD) != 0;
  if (child) {
    RECT area{};
    GetClientRect(GetParent(window_), &area);
    MoveWindow(window_, (area.right - width) / 2, (area.bottom - height) / 2, width, height, TRUE);
    return;
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  const HWND owner = GetWindow(window_, GW_OWNER);
  GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : window_, MONITOR_DEFAULTTOPRIMARY),
                  &monitor);
  const RECT work = monitor.rcWork;
  RECT area = work;
  if (owner != nullptr && IsWindowVisible(owner)) GetWindowRect(owner, &area);
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  // Kept on the work area where it fits.
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT CWindowWnd::ShowModal() {
  // Only locals from here on: the object may delete itself when its window is destroyed.
  const HWND window = window_;
  if (window == nullptr) return 0;
  const HWND owner = GetWindow(window, GW_OWNER);
  const bool owner_was_enabled = owner != nullptr && IsWindowEnabled(owner);
  ::ShowWindow(window, SW_SHOWNORMAL);
  if (owner_was_enabled) EnableWindow(owner, FALSE);
  UINT result = 0;
  NotifyModalStart(window);
  MSG msg{};
  while (IsWindow(window)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The quit message belongs to the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (msg.message == WM_CLOSE && msg.hwnd == window) result = static_cast<UINT>(msg.wParam);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner_was_enabled && IsWindow(owner)) {
    EnableWindow(owner, TRUE);
    SetFocus(owner);
  }
  return result;
}

void CWindowWnd::Close(UINT code) {
  if (window_ != nullptr && IsWindow(window_)) PostMessageW(window_, WM_CLOSE, code, 0);
}

void CWindowWnd::SetIcon(UINT resource_id) {
  if (window_ == nullptr) return;
  HICON icon =
      LoadIconW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(static_cast<int>(resource_id)));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return window_ != nullptr && PostMessageW(window_, message, wParam, lParam) != FALSE;
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return window_ != nullptr ? SendMessageW(window_, message, wParam, lParam) : 0;
}

}  // namespace ui
