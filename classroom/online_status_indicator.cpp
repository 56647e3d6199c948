#include "classroom/online_status_indicator.h"

#include "classroom/child_point.h"

OnlineStatusIndicator::~OnlineStatusIndicator() {
  if (GetHWND() != nullptr) DestroyWindow(GetHWND());
}

LRESULT OnlineStatusIndicator::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) {
    PostMessageW(GetParent(GetHWND()), WM_MOUSEMOVE, wParam, lParam);
  } else if (message == WM_LBUTTONUP) {
    PostMessageW(GetParent(GetHWND()), WM_LBUTTONUP, wParam,
                 ToParentClientPoint(GetHWND(), lParam));
  }
  return WindowImplBase::HandleMessage(message, wParam, lParam);
}

void OnlineStatusIndicator::InitWindow() { main_layer_ = &ControlOrStandIn(L"main_layer"); }

LRESULT OnlineStatusIndicator::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) {
  // No caption to drag by: the whole badge is client area.
  handled = TRUE;
  return HTCLIENT;
}
