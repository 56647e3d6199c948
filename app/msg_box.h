// The program's one modal question: its title, text and buttons all come from the layout that
// the caller names. "ok_btn" answers 1; "cancel_btn" and "closebtn" answer 2.
//
// A box is made with new for each question and deletes itself when its window is finally
// destroyed, so the caller creates it, may set the text of "mb_msg" or hide "cancel_btn", runs
// ShowModal and never touches it again.
#pragma once

#include <UIlib.h>

#include <string>

class MsgBox : public DuiLib::WindowImplBase {
 public:
  explicit MsgBox(std::wstring layout);

  DuiLib::CControlUI* message() const { return message_; }
  DuiLib::CControlUI* cancel() const { return cancel_; }

 protected:
  // Only the box itself ends its life, on its final message.
  ~MsgBox() override = default;

  DuiLib::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  DuiLib::CDuiString GetSkinFile() override;
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  void Notify(DuiLib::TNotifyUI& msg) override;

 private:
  std::wstring layout_;
  // Controls of the layout, owned by its tree; any may be missing.
  DuiLib::CControlUI* title_ = nullptr;
  DuiLib::CControlUI* message_ = nullptr;
  DuiLib::CControlUI* ok_ = nullptr;
  DuiLib::CControlUI* cancel_ = nullptr;
};
