// Pieces shared by the tests of the shell's own windows: the real skin archives of both
// languages, an owner window standing in for the main window, and where screenshots go.
#pragma once

#include <UIlib.h>
#include <duilib/ui_test_driver.h>

#include <filesystem>
#include <string>

#include "tests/platform/ui/ui_test_support.h"

namespace shell_test {

// The skin archive of one language and a short name for files written from it.
struct Skin {
  const wchar_t* archive;
  const char* language;
};
inline const Skin kBothSkins[] = {{L"orbs.cn", "cn"}, {L"orbs.en", "en"}};

inline std::string ScreenshotPath(const std::string& name) {
  std::filesystem::create_directories(QUORVEL_SCREENSHOT_DIR);
  return std::string(QUORVEL_SCREENSHOT_DIR) + "/" + name + ".png";
}

// Draws the screen with every window on it, for screenshots of windows over their owner.
inline bool SaveScreen(const std::string& name) {
  DuiLib::CUiDriver::Pump();
  return win::headless::SaveScreenPng(ScreenshotPath(name));
}

// A 1080 x 675 window built from "main_wnd.xml" at 100, 50: the owner of the boxes and tips.
class OwnerWindow {
 public:
  OwnerWindow() : window_(L"main_wnd.xml", L"QvShellOwner") {
    window_.Create(nullptr, L"", WS_POPUP | WS_VISIBLE, 0, 100, 50, 1080, 675);
    MoveWindow(window_.GetHWND(), 100, 50, 1080, 675, TRUE);
  }
  ~OwnerWindow() { DestroyWindow(window_.GetHWND()); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  HWND hwnd() const { return window_.GetHWND(); }

 private:
  ui_test::LayoutWindow window_;
};

}  // namespace shell_test
