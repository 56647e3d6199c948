// Pieces shared by the tests of the shell's own windows: the real skin archives of both
// languages, an owner window standing in for the main window, and where screenshots go.
#pragma once

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
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
  ui::CUiDriver::Pump();
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

// A test on the skin of its parameter, with the owner window built from that skin.
class SkinTest : public ::testing::TestWithParam<Skin> {
 protected:
  void SetUp() override {
    ui_test::UseSkin(GetParam().archive);
    owner_ = std::make_unique<OwnerWindow>();
  }
  void TearDown() override { owner_.reset(); }
  bool Chinese() const { return std::string(GetParam().language) == "cn"; }
  // The name of a screenshot of this skin.
  std::string ShotName(const std::string& what) const { return what + "_" + GetParam().language; }

  std::unique_ptr<OwnerWindow> owner_;
};

// The same with one window of the kind under test, made from the owner's handle once the skin
// is chosen, and destroyed before the owner.
template <typename Window>
class OwnedWindowTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    window_ = std::make_unique<Window>(owner_->hwnd());
  }
  void TearDown() override {
    window_.reset();
    SkinTest::TearDown();
  }

  std::unique_ptr<Window> window_;
};

// The outer size of a window.
inline SIZE WindowSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace shell_test
