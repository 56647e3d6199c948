#include <memory>

#include "ui/ui_window.h"
#include "layout_loader.h"
#include "resources.h"

namespace ui {

namespace {

bool IsChildWindow(HWND window) {
  return (static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & WS_CHILD) != 0;
}

bool IsFrameDrag(LRESULT hit) {
  return hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT);
}

}  // namespace

void WindowImplBase::Notify(TNotifyUI&) {}

CControlUI& WindowImplBase::ControlOrStandIn(LPCTSTR name) {
  if (CControlUI* found = m_PaintManager.FindControl(name)) return *found;
  stand_ins_.push_back(std::make_unique<CControlUI>());
  return *stand_ins_.back();
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  BOOL handled = FALSE;
  LRESULT result = HandleCustomMessage(message, wParam, lParam, handled);
  if (handled) return result;
  handled = TRUE;
  switch (message) {
    case WM_CREATE:
      result = OnCreate(message, wParam, lParam, handled);
      break;
    case WM_CLOSE:
      result = OnClose(message, wParam, lParam, handled);
      break;
    case WM_DESTROY:
      result = OnDestroy(message, wParam, lParam, handled);
      break;
    case WM_NCHITTEST:
      result = OnNcHitTest(message, wParam, lParam, handled);
      break;
    case WM_CHAR:
      result = OnChar(message, wParam, lParam, handled);
      break;
    case WM_SIZE:
      result = OnSize(message, wParam, lParam, handled);
      break;
    case WM_KEYDOWN:
      result = OnKeyDown(message, wParam, lParam, handled);
      break;
    case WM_MOUSEMOVE:
      result = OnMouseMove(message, wParam, lParam, handled);
      break;
    case WM_LBUTTONDOWN:
      result = OnLButtonDown(message, wParam, lParam, handled);
      break;
    case WM_LBUTTONUP:
      result = OnLButtonUp(message, wParam, lParam, handled);
      break;
    case WM_NCDESTROY:
      // The controls stay with the object (a program may still set them); only the window goes.
      m_PaintManager.RemoveNotifier(this);
      m_PaintManager.Init(nullptr);
      handled = FALSE;
      break;
    default:
      handled = FALSE;
      break;
  }
  if (handled) return result;
  if (m_PaintManager.MessageHandler(message, wParam, lParam, result)) return result;
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
  m_PaintManager.Init(GetHWND());
  ResourceLocation where = CurrentSkinLocation();
  const CUiString folder = GetSkinFolder();
  if (!folder.IsEmpty() && where.archive.empty()) where.folder += folder.str() + L"/";
  std::unique_ptr<CControlUI> root = LoadLayout(where, GetSkinFile().str(), m_PaintManager);
  m_PaintManager.AttachDialog(root.release());
  m_PaintManager.AddNotifier(this);
  InitWindow();
  handled = TRUE;
  return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  handled = TRUE;
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(GetHWND(), &point);
  RECT client{};
  GetClientRect(GetHWND(), &client);
  if (point.x < client.left || point.x >= client.right || point.y < client.top ||
      point.y >= client.bottom) {
    return HTNOWHERE;
  }
  if (!IsChildWindow(GetHWND()) && !IsZoomed(GetHWND())) {
    const RECT& box = m_PaintManager.GetSizeBox();
    const bool left = point.x < client.left + box.left;
    const bool right = point.x >= client.right - box.right;
    const bool top = point.y < client.top + box.top;
    const bool bottom = point.y >= client.bottom - box.bottom;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
  }
  const RECT& caption = m_PaintManager.GetCaptionRect();
  if (point.x >= client.left + caption.left && point.x < client.right - caption.right &&
      point.y >= caption.top && point.y < caption.bottom) {
    // Controls that take input stay usable inside the caption.
    const CControlUI* control = m_PaintManager.FindControl(point);
    if (control == nullptr || !control->IsFocusable()) return HTCAPTION;
  }
  return HTCLIENT;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = drag_.hit != HTNOWHERE;
  if (handled) ContinueFrameDrag();
  return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  handled = StartFrameDrag(lParam);
  return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = drag_.hit != HTNOWHERE;
  if (handled) {
    ContinueFrameDrag();
    drag_.hit = HTNOWHERE;
    ReleaseCapture();
  }
  return 0;
}

bool WindowImplBase::StartFrameDrag(LPARAM lParam) {
  if (IsChildWindow(GetHWND())) return false;
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(GetHWND(), &screen);
  // The window's own answer counts, so that a window answering HTCLIENT everywhere stays put.
  const LRESULT hit = SendMessage(WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  if (!IsFrameDrag(hit)) return false;
  drag_.hit = hit;
  GetCursorPos(&drag_.start_cursor);
  GetWindowRect(GetHWND(), &drag_.start_rect);
  SetCapture(GetHWND());
  return true;
}

void WindowImplBase::ContinueFrameDrag() {
  POINT cursor{};
  GetCursorPos(&cursor);
  const int dx = cursor.x - drag_.start_cursor.x;
  const int dy = cursor.y - drag_.start_cursor.y;
  RECT rect = drag_.start_rect;
  const LRESULT hit = drag_.hit;
  if (hit == HTCAPTION) {
    rect.left += dx;
    rect.right += dx;
    rect.top += dy;
    rect.bottom += dy;
  } else {
    if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) rect.left += dx;
    if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) rect.right += dx;
    if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) rect.top += dy;
    if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) rect.bottom += dy;
    // Never smaller than the size box and caption can hold.
    const RECT& box = m_PaintManager.GetSizeBox();
    const LONG min_width = box.left + box.right + 50;
    const LONG min_height = m_PaintManager.GetCaptionRect().bottom + box.bottom + 20;
    if (rect.right - rect.left < min_width) {
      if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT)
        rect.left = rect.right - min_width;
      else
        rect.right = rect.left + min_width;
    }
    if (rect.bottom - rect.top < min_height) {
      if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT)
        rect.top = rect.bottom - min_height;
      else
        rect.bottom = rect.top + min_height;
    }
  }
  MoveWindow(GetHWND(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

}  // namespace ui
