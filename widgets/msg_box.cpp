#include "widgets/msg_box.h"

#include <utility>

#include "base/diagnostics.h"

MsgBox::MsgBox(std::wstring layout) : layout_(std::move(layout)) {}

ui::LPCTSTR MsgBox::GetWindowClassName() const { return L"QV-MSGBOX"; }

void MsgBox::OnFinalMessage(HWND window) {
  WindowImplBase::OnFinalMessage(window);
  delete this;
}

void MsgBox::InitWindow() {
  title_ = m_PaintManager.FindControl(L"mb_title");
  message_ = m_PaintManager.FindControl(L"mb_msg");
  ok_ = m_PaintManager.FindControl(L"ok_btn");
  cancel_ = m_PaintManager.FindControl(L"cancel_btn");
  // Which question came up, for whoever reads the debug output (a box's text is only pixels).
  DebugPrint(L"message box %ls", layout_.c_str());
}

ui::CUiString MsgBox::GetSkinFile() { return layout_.c_str(); }

// The whole box is client area: it is not dragged by its caption.
LRESULT MsgBox::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  return HTCLIENT;
}

void MsgBox::Notify(ui::TNotifyUI& msg) {
  if (msg.sType == ui::CUiString(L"click") && msg.pSender != nullptr) {
    const ui::CUiString sender = msg.pSender->GetName();
    if (sender == ui::CUiString(L"closebtn") || sender == ui::CUiString(L"cancel_btn")) {
      Close(2);
    } else if (sender == ui::CUiString(L"ok_btn")) {
      Close(1);
    }
  }
  WindowImplBase::Notify(msg);
}
