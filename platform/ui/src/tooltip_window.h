// The hover tooltip: a small pop-up near the cursor with one control's whole text. Owned by
// the paint manager of the window whose control is hovered; it never takes the focus.
#pragma once

#include "ui/ui_window.h"

namespace ui {

class CToolTipWnd : public CWindowWnd {
 public:
  ~CToolTipWnd() override;

  // Shows text with its top-left corner near the screen point, kept on that point's monitor.
  void ShowAt(HWND owner, const std::wstring& text, const FontInfo& font, POINT screen);
  void Hide();
  // The text on show, empty when hidden.
  const std::wstring& shown_text() const { return shown_; }

 protected:
  LPCTSTR GetWindowClassName() const override { return L"DuiToolTipWnd"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  CPaintManagerUI manager_;
  std::wstring shown_;
};

}  // namespace ui
