#include "app/main_window_notice.h"

void NoticeWindow::SetNoticeText(const std::wstring& text) {
  if (ui::CControlUI* label = m_PaintManager.FindControl(L"overlay_info")) {
    label->SetText(text.c_str());
  }
}
