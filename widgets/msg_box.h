// The program's one modal question: its title, text and buttons all come from the layout that
// the caller names. "ok_btn" answers 1; "cancel_btn" and "closebtn" answer 2.
//
// A box is made with new for each question and deletes itself when its window is finally
// destroyed, so the caller creates it, may set the text of "mb_msg" or hide "cancel_btn", runs
// ShowModal and never touches it again.
#pragma once

#include <ui/ui.h>

#include <string>

class MsgBox : public ui::WindowImplBase {
 public:
  explicit MsgBox(std::wstring layout);

  ui::CControlUI* message() const { return message_; }
  ui::CControlUI* cancel() const { return cancel_; }
  // False when the layout gave the box no button to answer with.
  bool answerable() const { return ok_ != nullptr || cancel_ != nullptr; }

 protected:
  // Only the box itself ends its life, on its final message.
  ~MsgBox() override = default;

  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  void Notify(ui::TNotifyUI& msg) override;

 private:
  std::wstring layout_;
  // Controls of the layout, owned by its tree; any may be missing.
  ui::CControlUI* title_ = nullptr;
  ui::CControlUI* message_ = nullptr;
  ui::CControlUI* ok_ = nullptr;
  ui::CControlUI* cancel_ = nullptr;
};
