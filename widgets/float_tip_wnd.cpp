#include "widgets/float_tip_wnd.h"

#include <string>

#include "base/app_messages.h"
#include "widgets/notice_text_size.h"

namespace {

// Room around the measured text: 30 pixels each side, 10 above and below.
constexpr LONG kTipExtraWidth = 60;
constexpr LONG kTipExtraHeight = 20;

}  // namespace

ui::LPCTSTR FloatTipWnd::GetWindowClassName() const { return L"FloatTipWnd"; }

void FloatTipWnd::OnFinalMessage(HWND) {}

void FloatTipWnd::InitWindow() { tip_info_ = m_PaintManager.FindControl(L"tip_info"); }

ui::CUiString FloatTipWnd::GetSkinFile() { return L"float_tip_wnd.xml"; }

// A tip whose layout failed has nothing to show the text in.
void FloatTipWnd::ShowTip(const std::wstring& text) {
  if (tip_info_ == nullptr) return;
  tip_info_->SetText(text.c_str());
  ShowWindow(true, true);
  const SIZE measured = MeasureNoticeText(GetHWND(), text);
  const LONG width = measured.cx + kTipExtraWidth;
  const LONG height = measured.cy + kTipExtraHeight;
  tip_info_->SetAttribute(L"width", std::to_wstring(width).c_str());
  tip_info_->SetAttribute(L"height", std::to_wstring(height).c_str());
  SetWindowPos(GetHWND(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  KillTimer(GetHWND(), TIMER_FLOAT_TIP);
}

LRESULT FloatTipWnd::HandleCustomMessage(UINT message, WPARAM, LPARAM, BOOL& handled) {
  if (message == WM_TIMER) {
    KillTimer(GetHWND(), TIMER_FLOAT_TIP);
    ShowWindow(false, true);
  }
  handled = FALSE;
  return 0;
}
