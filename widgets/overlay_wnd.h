// The 3-second notice over the main window: a borderless, disabled box sized to its one text,
// that never takes the mouse or the focus. Its owner shows it, centres it, and hides it when
// its TIMER_NOTICE expires; the window is reused for the next notice.
#pragma once

#include <ui/ui.h>

#include <string>

class OverlayWnd : public ui::WindowImplBase {
 public:
  // Sizes the label and the window for text (wrapped at 400 pixels) and moves the window to
  // the screen's corner; the caller centres it afterwards.
  void FitToText(const std::wstring& text);

 protected:
  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  std::wstring layout_ = L"overlay_wnd.xml";
  ui::CControlUI* overlay_info_ = nullptr;  // the layout's, owned by its tree
};
