#include "widgets/overlay_wnd.h"

#include <string>

#include "widgets/notice_text_size.h"

namespace {

// The label keeps 5 pixels around the text, the window 10 more around the label.
constexpr LONG kLabelExtra = 10;
constexpr LONG kWindowExtra = 30;

}  // namespace

ui::LPCTSTR OverlayWnd::GetWindowClassName() const { return L"QV-OVERLAY"; }

void OverlayWnd::OnFinalMessage(HWND) {}

void OverlayWnd::InitWindow() { overlay_info_ = &ControlOrStandIn(L"overlay_info"); }

ui::CUiString OverlayWnd::GetSkinFile() { return layout_.c_str(); }

// Nowhere: the notice lets every click through to the work under it.
LRESULT OverlayWnd::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  return HTNOWHERE;
}

void OverlayWnd::FitToText(const std::wstring& text) {
  const SIZE measured = MeasureNoticeText(GetHWND(), text);
  overlay_info_->SetAttribute(L"width", std::to_wstring(measured.cx + kLabelExtra).c_str());
  overlay_info_->SetAttribute(L"height", std::to_wstring(measured.cy + kLabelExtra).c_str());
  MoveWindow(GetHWND(), 0, 0, measured.cx + kWindowExtra, measured.cy + kWindowExtra, TRUE);
}
