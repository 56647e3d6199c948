#include "library_timers.h"
#include "tooltip_window.h"
#include "ui/ui_manager.h"

namespace ui {

void CPaintManagerUI::ArmToolTip(CControlUI* control) {
  if (control == tip_control_) return;
  HideToolTip();
  if (control == nullptr || control->GetHoverText().IsEmpty()) return;
  tip_control_ = control;
  SetTimer(nullptr, kToolTipTimer, kToolTipDelayMs);
}

void CPaintManagerUI::ShowToolTip() {
  KillTimer(nullptr, kToolTipTimer);
  if (tip_control_ == nullptr || window_ == nullptr) return;
  const CUiString text = tip_control_->GetHoverText();
  if (text.IsEmpty()) return;
  if (!tool_tip_) tool_tip_ = std::make_unique<CToolTipWnd>();
  POINT screen = last_mouse_;
  ClientToScreen(window_, &screen);
  tool_tip_->ShowAt(window_, text.str(), GetFont(-1), screen);
}

void CPaintManagerUI::HideToolTip() {
  tip_control_ = nullptr;
  KillTimer(nullptr, kToolTipTimer);
  if (tool_tip_) tool_tip_->Hide();
}

CUiString CPaintManagerUI::GetToolTipText() const {
  return tool_tip_ ? CUiString(tool_tip_->shown_text()) : CUiString();
}

}  // namespace ui
