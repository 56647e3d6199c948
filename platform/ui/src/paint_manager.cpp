#include <win/surface.h>

#include <algorithm>
#include <map>

#include "diagnostics.h"
#include "ui/ui_manager.h"
#include "first_paint_probe.h"
#include "render.h"
#include "resources.h"
#include "tooltip_window.h"

namespace ui {

namespace {

std::map<HWND, CPaintManagerUI*>& Managers() {
  static std::map<HWND, CPaintManagerUI*> managers;
  return managers;
}

WORD ModifierOfKey(WPARAM key) {
  if (key == VK_SHIFT) return kModShift;
  if (key == VK_CONTROL) return kModControl;
  if (key == VK_MENU) return kModAlt;
  return 0;
}

WORD HeldModifiers() {
  WORD held = 0;
  if (GetKeyState(VK_SHIFT) < 0) held |= kModShift;
  if (GetKeyState(VK_CONTROL) < 0) held |= kModControl;
  if (GetKeyState(VK_MENU) < 0) held |= kModAlt;
  return held;
}

RECT Union(const RECT& a, const RECT& b) {
  if (a.right <= a.left || a.bottom <= a.top) return b;
  if (b.right <= b.left || b.bottom <= b.top) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

std::wstring WithSeparator(std::wstring path) {
  if (!path.empty() && path.back() != L'/' && path.back() != L'\\') path += L'/';
  return path;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
  if (window_ != nullptr) Managers().erase(window_);
  // Controls reap themselves from the manager while the tree goes; nothing may be hot then.
  focus_ = hot_ = capture_ = nullptr;
  std::unique_ptr<CControlUI> root = std::move(root_);
  root.reset();
}

void CPaintManagerUI::SetInstance(HINSTANCE instance) { Settings().instance = instance; }

HINSTANCE CPaintManagerUI::GetInstance() { return Settings().instance; }

CUiString CPaintManagerUI::GetInstancePath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  const size_t slash = folder.find_last_of(L"/\\");
  return slash == std::wstring::npos ? CUiString() : CUiString(folder.substr(0, slash + 1));
}

void CPaintManagerUI::SetResourcePath(LPCTSTR path) {
  Settings().resource_path = WithSeparator(path != nullptr ? path : L"");
}

CUiString CPaintManagerUI::GetResourcePath() { return Settings().resource_path; }

void CPaintManagerUI::SetResourceZip(LPCTSTR zip_name, bool, const char*) {
  Settings().resource_zip = zip_name != nullptr ? zip_name : L"";
}

CUiString CPaintManagerUI::GetResourceZip() { return Settings().resource_zip; }

void CPaintManagerUI::MessageLoop() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

CPaintManagerUI* CPaintManagerUI::FromWindow(HWND window) {
  const auto found = Managers().find(window);
  return found == Managers().end() ? nullptr : found->second;
}

std::vector<HWND> CPaintManagerUI::Windows() {
  std::vector<HWND> windows;
  for (const auto& [window, manager] : Managers()) windows.push_back(window);
  return windows;
}

void CPaintManagerUI::Init(HWND window) {
  if (window_ != nullptr) Managers().erase(window_);
  window_ = window;
  if (window_ != nullptr) Managers()[window_] = this;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
  focus_ = hot_ = capture_ = nullptr;
  root_.reset(root);
  if (root_) root_->SetManager(this, nullptr);
  NeedUpdate();
  return root_ != nullptr;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
  if (notifier == nullptr ||
      std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end())
    return false;
  notifiers_.push_back(notifier);
  return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
  const auto found = std::find(notifiers_.begin(), notifiers_.end(), notifier);
  if (found == notifiers_.end()) return false;
  notifiers_.erase(found);
  return true;
}

void CPaintManagerUI::SendNotify(CControlUI* sender, LPCTSTR type, WPARAM wParam, LPARAM lParam) {
  TNotifyUI msg;
  msg.sType = type;
  msg.pSender = sender;
  msg.ptMouse = last_mouse_;
  msg.wParam = wParam;
  msg.lParam = lParam;
  // A notifier may remove others (or close the window) while it runs: walk a copy.
  const std::vector<INotifyUI*> notifiers = notifiers_;
  for (INotifyUI* notifier : notifiers) notifier->Notify(msg);
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR name) const {
  if (!root_ || name == nullptr || *name == L'\0') return nullptr;
  return root_->FindControlByName(name);
}

CControlUI* CPaintManagerUI::FindControl(POINT point) const {
  return root_ ? root_->FindControlAt(point) : nullptr;
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
  if (cx <= 0 || cy <= 0) return;
  init_size_ = SIZE{cx, cy};
  if (window_ != nullptr)
    SetWindowPos(window_, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CPaintManagerUI::AddFont(const FontInfo& font, int id) {
  fonts_.emplace_back(id, font);
  return id;
}

const FontInfo& CPaintManagerUI::GetFont(int id) const {
  for (const auto& [font_id, font] : fonts_) {
    if (font_id == id) return font;
  }
  return default_font_;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
  if (control == focus_) return;
  if (control != nullptr &&
      (!control->IsVisible() || !control->IsEnabled() || !control->IsFocusable()))
    return;
  CControlUI* old = focus_;
  focus_ = control;
  InvalidateFocusMark(old);
  InvalidateFocusMark(focus_);
  if (old != nullptr) Dispatch(old, UIEvent::KillFocus, last_mouse_);
  if (old != nullptr) SendNotify(old, L"killfocus");
  if (focus_ != nullptr) {
    if (window_ != nullptr && ::GetFocus() != window_) ::SetFocus(window_);
    Dispatch(focus_, UIEvent::SetFocus, last_mouse_);
    SendNotify(focus_, L"setfocus");
  }
}

void CPaintManagerUI::ReapControl(CControlUI* control) {
  for (const auto& timer : std::vector<std::pair<UINT_PTR, CControlUI*>>(timers_)) {
    if (timer.second == control) KillTimer(control, timer.first);
  }
  if (tip_control_ == control) HideToolTip();
  if (focus_ == control) focus_ = nullptr;
  if (hot_ == control) hot_ = nullptr;
  if (capture_ == control) {
    capture_ = nullptr;
    if (window_ != nullptr && ::GetCapture() == window_) ReleaseCapture();
  }
}

void CPaintManagerUI::NeedUpdate() {
  layout_needed_ = true;
  Invalidate();
}

void CPaintManagerUI::Invalidate() {
  RECT client{};
  if (window_ != nullptr) GetClientRect(window_, &client);
  Invalidate(client);
}

void CPaintManagerUI::Invalidate(const RECT& rect) {
  dirty_ = Union(dirty_, rect);
  RequestPaint();
}

void CPaintManagerUI::RequestPaint() {
  if (window_ == nullptr || paint_pending_) return;
  paint_pending_ = true;
  // The window system collects the rectangles and sends one WM_PAINT when the queue is idle.
  InvalidateRect(window_, nullptr, FALSE);
}

void CPaintManagerUI::Layout() {
  layout_needed_ = false;
  if (!root_ || window_ == nullptr) return;
  RECT client{};
  GetClientRect(window_, &client);
  root_->SetPos(client);
  dirty_ = client;
}

void CPaintManagerUI::PaintNow() {
  if (window_ == nullptr) return;
  paint_pending_ = false;
  if (layout_needed_) Layout();
  if (PaintOnSurface() && win::PresentWindow(window_)) NoteWindowPainted(window_);
}

bool CPaintManagerUI::PaintOnSurface() {
  // The surface stays locked while this lives; presenting takes the lock again afterwards.
  RECT area = dirty_;
  dirty_ = RECT{};
  // A window without a layout keeps whatever others drew on it (the window system, an engine).
  if (!root_) return false;
  win::SurfaceAccess access(window_);
  if (access.surface() == nullptr) return false;
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, access.width());
  area.bottom = std::min<LONG>(area.bottom, access.height());
  if (area.right <= area.left || area.bottom <= area.top) return false;
  handles::CairoPtr cr(cairo_create(access.surface()));
  cairo_rectangle(cr.get(), area.left, area.top, area.right - area.left, area.bottom - area.top);
  cairo_clip(cr.get());
  // What the layout leaves transparent shows as clear.
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr.get());
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
  if (root_->IsVisible()) {
    CRenderContext context(cr.get(), *this);
    root_->DoPaint(context);
    PaintFocusMark(context);
  }
  cr.reset();
  cairo_surface_flush(access.surface());
  access.MarkDirty(area);
  return true;
}

void CPaintManagerUI::Dispatch(CControlUI* control, UIEvent type, POINT point, WPARAM wParam) {
  TEventUI event;
  event.Type = type;
  event.pSender = control;
  event.ptMouse = point;
  event.wParam = wParam;
  event.wKeyState = modifiers_;
  control->DoEvent(event);
}

void CPaintManagerUI::SetHot(CControlUI* control, POINT point) {
  if (control == hot_) return;
  CControlUI* old = hot_;
  hot_ = control;
  if (old != nullptr) Dispatch(old, UIEvent::MouseLeave, point);
  if (hot_ != nullptr) Dispatch(hot_, UIEvent::MouseEnter, point);
}

void CPaintManagerUI::OnMouse(UINT message, WPARAM, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  last_mouse_ = point;
  modifiers_ = HeldModifiers();
  CControlUI* under = FindControl(point);
  if (under != nullptr && !under->IsEnabled()) under = nullptr;
  switch (message) {
    case WM_MOUSEMOVE:
      if (!tracking_leave_ && window_ != nullptr) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window_, 0};
        tracking_leave_ = TrackMouseEvent(&track) != FALSE;
      }
      if (capture_ != nullptr) {
        Dispatch(capture_, UIEvent::MouseMove, point);
      } else {
        SetHot(under, point);
        ArmToolTip(under);
        if (under != nullptr) Dispatch(under, UIEvent::MouseMove, point);
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      HideToolTip();
      SetHot(under, point);
      if (under == nullptr) {
        SetFocus(nullptr);
        break;
      }
      // A press on something that takes no keyboard input takes the focus away (and so closes
      // an open drop-down list).
      SetFocus(under->IsFocusable() ? under : nullptr);
      capture_ = under;
      if (window_ != nullptr) SetCapture(window_);
      Dispatch(under, message == WM_LBUTTONDOWN ? UIEvent::ButtonDown : UIEvent::DoubleClick,
               point);
      break;
    case WM_MBUTTONDOWN:
      HideToolTip();
      if (under == nullptr) break;
      if (under->IsFocusable()) SetFocus(under);
      Dispatch(under, UIEvent::MiddleButtonDown, point);
      break;
    case WM_LBUTTONUP: {
      CControlUI* target = capture_;
      capture_ = nullptr;
      if (window_ != nullptr && ::GetCapture() == window_) ReleaseCapture();
      if (target != nullptr) Dispatch(target, UIEvent::ButtonUp, point);
      break;
    }
    case WM_MOUSELEAVE:
      tracking_leave_ = false;
      HideToolTip();
      if (capture_ == nullptr) SetHot(nullptr, point);
      break;
    default:
      break;
  }
}

void CPaintManagerUI::OnKey(UINT message, WPARAM wParam) {
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
  if (down) held_modifiers_ |= ModifierOfKey(wParam);
  if (up) held_modifiers_ &= static_cast<WORD>(~ModifierOfKey(wParam));
  modifiers_ = HeldModifiers() | held_modifiers_;
  if (down) HideToolTip();
  const bool navigation = wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE;
  if (message == WM_KEYDOWN && navigation &&
      (focus_ == nullptr || !focus_->TakesKey(wParam, modifiers_)) && OnNavigationKey(wParam))
    return;
  if (focus_ == nullptr) return;
  const UIEvent type = (message == WM_CHAR)                              ? UIEvent::Char
                       : (message == WM_KEYUP || message == WM_SYSKEYUP) ? UIEvent::KeyUp
                                                                         : UIEvent::KeyDown;
  Dispatch(focus_, type, last_mouse_, wParam);
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      BeginPaint(window_, &paint);
      dirty_ = Union(dirty_, paint.rcPaint);
      PaintNow();
      EndPaint(window_, &paint);
      return true;
    }
    case WM_SIZE:
      NeedUpdate();
      return false;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MOUSELEAVE:
      OnMouse(message, wParam, lParam);
      return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
      OnKey(message, wParam);
      return false;
    case WM_KILLFOCUS:
      capture_ = nullptr;
      held_modifiers_ = 0;
      return false;
    case WM_SHOWWINDOW:
      if (wParam == FALSE) HideToolTip();
      return false;
    default:
      return false;
  }
}

}  // namespace ui
