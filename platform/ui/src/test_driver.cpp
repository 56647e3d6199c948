#include <cairo.h>
#include <win/headless.h>
#include <win/surface.h>

#include <utility>

#include "combo_window.h"
#include "diagnostics.h"
#include "ui/ui_test_driver.h"
#include "modal_hooks.h"

namespace ui {

namespace {

POINT Centre(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

CControlUI* UsableControl(HWND window, LPCTSTR name) {
  CControlUI* control = CUiDriver::FindControl(window, name);
  if (control == nullptr || !control->IsVisible() || !control->IsEnabled()) return nullptr;
  CUiDriver::Layout(window);
  return control;
}

void SendMouse(HWND window, UINT message, POINT point, WPARAM buttons) {
  SendMessageW(window, message, buttons, MAKELPARAM(point.x, point.y));
}

struct ModifierKeys {
  WORD flag;
  UINT key;
};
constexpr ModifierKeys kModifierKeys[] = {
    {kModControl, VK_CONTROL}, {kModShift, VK_SHIFT}, {kModAlt, VK_MENU}};

}  // namespace

HWND CUiDriver::FindWindowByClass(LPCTSTR class_name) {
  for (HWND window : CPaintManagerUI::Windows()) {
    wchar_t name[256] = {};
    if (IsWindow(window) && GetClassNameW(window, name, 256) > 0 &&
        std::wstring(name) == class_name)
      return window;
  }
  return nullptr;
}

CPaintManagerUI* CUiDriver::ManagerOf(HWND window) {
  return IsWindow(window) ? CPaintManagerUI::FromWindow(window) : nullptr;
}

CControlUI* CUiDriver::FindControl(HWND window, LPCTSTR name) {
  CPaintManagerUI* manager = ManagerOf(window);
  return manager != nullptr ? manager->FindControl(name) : nullptr;
}

void CUiDriver::Layout(HWND window) {
  if (CPaintManagerUI* manager = ManagerOf(window)) manager->PaintNow();
}

bool CUiDriver::ClickAt(HWND window, POINT point) {
  if (!IsWindow(window)) return false;
  SendMouse(window, WM_MOUSEMOVE, point, 0);
  SendMouse(window, WM_LBUTTONDOWN, point, MK_LBUTTON);
  // The press may have closed the window (a button that closes on press is the window's own).
  if (IsWindow(window)) SendMouse(window, WM_LBUTTONUP, point, 0);
  return true;
}

bool CUiDriver::Click(HWND window, LPCTSTR name) {
  CControlUI* control = UsableControl(window, name);
  return control != nullptr && ClickAt(window, Centre(control->GetPos()));
}

bool CUiDriver::Type(HWND window, LPCTSTR name, const std::wstring& text) {
  CControlUI* control = UsableControl(window, name);
  if (control == nullptr || !control->IsFocusable()) return false;
  control->SetFocus();
  for (wchar_t ch : text) SendMessageW(window, WM_CHAR, static_cast<WPARAM>(ch), 0);
  return true;
}

bool CUiDriver::SendKey(HWND window, UINT virtual_key, WORD modifiers) {
  const bool alt = (modifiers & kModAlt) != 0;
  for (const auto& modifier : kModifierKeys) {
    if (modifiers & modifier.flag)
      SendMessageW(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, modifier.key, 0);
  }
  SendMessageW(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtual_key, 0);
  SendMessageW(window, alt ? WM_SYSKEYUP : WM_KEYUP, virtual_key, 0);
  for (const auto& modifier : kModifierKeys) {
    if (modifiers & modifier.flag)
      SendMessageW(window, alt ? WM_SYSKEYUP : WM_KEYUP, modifier.key, 0);
  }
  return true;
}

bool CUiDriver::PressKey(HWND window, LPCTSTR name, UINT virtual_key, WORD modifiers) {
  CControlUI* control = UsableControl(window, name);
  if (control == nullptr || !control->IsFocusable()) return false;
  control->SetFocus();
  return SendKey(window, virtual_key, modifiers);
}

bool CUiDriver::PressHotKey(HWND window, LPCTSTR name, UINT virtual_key, WORD modifiers) {
  if (dynamic_cast<CHotKeyUI*>(FindControl(window, name)) == nullptr) return false;
  return PressKey(window, name, virtual_key, modifiers);
}

bool CUiDriver::PickItem(HWND window, LPCTSTR combo_name, int index) {
  auto* combo = dynamic_cast<CComboUI*>(UsableControl(window, combo_name));
  if (combo == nullptr) return false;
  if (!combo->IsDropped()) Click(window, combo_name);
  CComboWnd* drop_down = combo->GetDropDown();
  if (drop_down == nullptr || index < 0 || index >= combo->GetCount()) return false;
  drop_down->ScrollToItem(index);
  const HWND pop_up = drop_down->GetHWND();
  const POINT point = Centre(drop_down->ItemRect(index));
  SendMouse(pop_up, WM_MOUSEMOVE, point, 0);
  SendMouse(pop_up, WM_LBUTTONDOWN, point, MK_LBUTTON);
  SendMouse(pop_up, WM_LBUTTONUP, point, 0);
  Pump();
  return combo->GetCurSel() == index;
}

namespace {

CComboWnd* OpenDropDown(HWND window, LPCTSTR combo_name) {
  auto* combo = dynamic_cast<CComboUI*>(CUiDriver::FindControl(window, combo_name));
  return combo != nullptr && combo->IsDropped() ? combo->GetDropDown() : nullptr;
}

}  // namespace

bool CUiDriver::ScrollDropDown(HWND window, LPCTSTR combo_name, int notches) {
  CComboWnd* drop_down = OpenDropDown(window, combo_name);
  if (drop_down == nullptr) return false;
  RECT rect{};
  GetWindowRect(drop_down->GetHWND(), &rect);
  SendMessageW(drop_down->GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA),
               MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
  return true;
}

bool CUiDriver::DropDownShows(HWND window, LPCTSTR combo_name, int index) {
  const CComboWnd* drop_down = OpenDropDown(window, combo_name);
  return drop_down != nullptr && drop_down->ItemShown(index);
}

int CUiDriver::DropDownHighlight(HWND window, LPCTSTR combo_name) {
  const CComboWnd* drop_down = OpenDropDown(window, combo_name);
  return drop_down != nullptr ? drop_down->GetHotItem() : -1;
}

bool CUiDriver::Hover(HWND window, LPCTSTR name) {
  CControlUI* control = UsableControl(window, name);
  if (control == nullptr) return false;
  SendMouse(window, WM_MOUSEMOVE, Centre(control->GetPos()), 0);
  return true;
}

CUiString CUiDriver::ToolTipText(HWND window) {
  const CPaintManagerUI* manager = ManagerOf(window);
  return manager != nullptr ? manager->GetToolTipText() : CUiString();
}

bool CUiDriver::MoveSlider(HWND window, LPCTSTR name, int value) {
  auto* slider = dynamic_cast<CSliderUI*>(UsableControl(window, name));
  if (slider == nullptr) return false;
  const RECT& pos = slider->GetPos();
  const int span = slider->GetMaxValue() - slider->GetMinValue();
  if (span <= 0) return false;
  const long long offset =
      static_cast<long long>(pos.right - pos.left) * (value - slider->GetMinValue()) / span;
  const POINT target{pos.left + static_cast<LONG>(offset), (pos.top + pos.bottom) / 2};
  const POINT thumb = Centre(slider->GetThumbRect());
  SendMouse(window, WM_MOUSEMOVE, thumb, 0);
  SendMouse(window, WM_LBUTTONDOWN, thumb, MK_LBUTTON);
  SendMouse(window, WM_MOUSEMOVE, target, MK_LBUTTON);
  SendMouse(window, WM_LBUTTONUP, target, 0);
  return slider->GetValue() == value;
}

void CUiDriver::AnswerNextModal(LPCTSTR button_name) {
  const std::wstring name = button_name != nullptr ? button_name : L"";
  SetModalStartObserver([name](HWND window) { Click(window, name.c_str()); });
}

void CUiDriver::AnswerNextModalByKey(UINT virtual_key) {
  SetModalStartObserver([virtual_key](HWND window) { SendKey(window, virtual_key, 0); });
}

CUiString CUiDriver::GetText(HWND window, LPCTSTR name) {
  const CControlUI* control = FindControl(window, name);
  return control != nullptr ? control->GetText() : CUiString();
}

bool CUiDriver::IsVisible(HWND window, LPCTSTR name) {
  const CControlUI* control = FindControl(window, name);
  return control != nullptr && control->IsVisible();
}

bool CUiDriver::IsEnabled(HWND window, LPCTSTR name) {
  const CControlUI* control = FindControl(window, name);
  return control != nullptr && control->IsEnabled();
}

CUiString CUiDriver::GetAttribute(HWND window, LPCTSTR name, LPCTSTR attribute) {
  const CControlUI* control = FindControl(window, name);
  return control != nullptr ? control->GetAttribute(attribute) : CUiString();
}

bool CUiDriver::SaveScreenshot(HWND window, const std::string& path) {
  CPaintManagerUI* manager = ManagerOf(window);
  if (manager == nullptr) return false;
  manager->Invalidate();
  manager->PaintNow();
  if (win::headless::Active()) return win::headless::SaveWindowPng(window, path);
  win::SurfaceAccess access(window);
  return access.surface() != nullptr &&
         cairo_surface_write_to_png(access.surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

int CUiDriver::Pump(int max_messages) {
  MSG msg{};
  int count = 0;
  while (count < max_messages && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++count;
  }
  return count;
}

void CUiDriver::WatchProblems(std::function<void(const std::wstring&)> sink) {
  SetProblemSink(std::move(sink));
}

}  // namespace ui
