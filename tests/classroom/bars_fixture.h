// Pieces shared by the tests of the lesson's bars: a shell that records what the bars ask of
// the main window, and a stand-in for the user who answers the next message box and notes what
// it asked.
#pragma once

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <functional>
#include <string>
#include <vector>

#include "classroom/classroom_shell.h"
#include "tests/widgets/shell_window_support.h"
#include "tests/platform/ui/ui_test_support.h"

namespace bars_test {

class RecordingShell : public ClassroomShell {
 public:
  HWND shell_window() const override { return owner; }
  bool in_classroom() const override { return classroom_open; }
  MeetingView* meeting_view() override { return view; }
  void LeaveClassroom() override { ++leaves; }
  // As the main window does it: only a hidden bar is shown.
  void ShowControlBarIfHidden() override {
    if (control_bar != nullptr && !IsWindowVisible(control_bar->GetHWND())) {
      control_bar->ShowWindow(true, true);
    }
  }
  bool alarm_bar_visible() const override { return false; }
  void HideLessonBars() override {}
  void ShowFloatTip(const std::wstring&) override {}
  void HideFloatTip() override {}
  void ShowNotice(const std::wstring&) override {}
  void ShowLastingNotice(const std::wstring&) override {}
  void HideNotice() override {}

  HWND owner = nullptr;
  bool classroom_open = true;
  MeetingView* view = nullptr;
  ui::CWindowWnd* control_bar = nullptr;
  int leaves = 0;
};

// What one message box looked like when it was answered.
struct AskedBox {
  std::wstring message;  // the text of "mb_msg"
  HWND owner;
  SIZE size;
  DWORD style;
  DWORD ex_style;
};

// Answers the next message box (or another modal window) from inside its modal loop, the way the
// user would, after noting what it asked; a box that never comes leaves asked empty.
class BoxAnswerer {
 public:
  BoxAnswerer() {
    window_.on_message = [this](UINT message, WPARAM, LPARAM, BOOL& handled) {
      handled = FALSE;
      if (message == kAnswerMessage) Answer();
      return LRESULT{0};
    };
    window_.Open(nullptr, WS_POPUP);
  }
  ~BoxAnswerer() { DestroyWindow(window_.GetHWND()); }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  // Call just before the click that opens the box: the message waits for its modal loop. Other
  // modal windows than the message boxes are named by their class.
  void AnswerNextWith(const wchar_t* button, const wchar_t* window_class = L"QV-MSGBOX") {
    button_ = button;
    window_class_ = window_class;
    PostMessageW(window_.GetHWND(), kAnswerMessage, 0, 0);
  }

  std::vector<AskedBox> asked;
  // Runs while the box is open, just before the answer (what else happens meanwhile).
  std::function<void()> while_open;

 private:
  static constexpr UINT kAnswerMessage = WM_USER + 0x7F17;  // none of the program's numbers

  void Answer() {
    const HWND box = ui::CUiDriver::FindWindowByClass(window_class_.c_str());
    if (box == nullptr) return;
    asked.push_back({ui::CUiDriver::GetText(box, L"mb_msg").str(), GetWindow(box, GW_OWNER),
                     shell_test::WindowSize(box),
                     static_cast<DWORD>(GetWindowLongPtrW(box, GWL_STYLE)),
                     static_cast<DWORD>(GetWindowLongPtrW(box, GWL_EXSTYLE))});
    if (while_open) while_open();
    ui::CUiDriver::Click(box, button_.c_str());
  }

  ui_test::LayoutWindow window_{L"main_wnd.xml", L"QvBoxAnswerer"};
  std::wstring button_;
  std::wstring window_class_;
};

// The "mb_msg" text that a box layout of the current skin brings.
inline std::wstring MessageOf(const wchar_t* layout) {
  ui_test::LayoutWindow box(layout, L"QvBoxReader");
  box.Open(nullptr, WS_POPUP);
  const std::wstring text = ui::CUiDriver::GetText(box.GetHWND(), L"mb_msg").str();
  DestroyWindow(box.GetHWND());
  return text;
}

}  // namespace bars_test
