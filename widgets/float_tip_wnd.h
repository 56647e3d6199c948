// The borderless tip over the top of the main window ("Network testing, please wait…", the
// classroom's network warnings). Built once by its owner and hidden between uses; ShowTip
// shows a new text and sizes the window to it, the caller places it. Any timer message hides
// it (TIMER_FLOAT_TIP is the tip's own, though nothing starts it today).
#pragma once

#include <ui/ui.h>

#include <string>

class FloatTipWnd : public ui::WindowImplBase {
 public:
  void ShowTip(const std::wstring& text);

 protected:
  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  ui::CControlUI* tip_info_ = nullptr;  // the layout's, owned by its tree
};
