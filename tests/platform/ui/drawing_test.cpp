// What the gallery looks like on the window's surface, in both skins: colours, images and
// Chinese and English text where the layout puts them. Screenshots go to screenshots/.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "combo_window.h"
#include "ui_test_support.h"

using ui::CUiDriver;
using ui_test::LayoutWindow;

namespace {

std::uint32_t Rgb(std::uint32_t argb) { return argb & 0xFFFFFF; }

// Pixels in rect whose colour is near colour (each channel within 40).
int CountNear(HWND window, const RECT& rect, std::uint32_t colour) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      const std::uint32_t pixel = win::headless::WindowPixel(window, x, y);
      bool near = true;
      for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((pixel >> shift) & 0xFF);
        const int b = static_cast<int>((colour >> shift) & 0xFF);
        near = near && (a - b < 40 && b - a < 40);
      }
      count += near ? 1 : 0;
    }
  }
  return count;
}

class DrawingTest : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  void SetUp() override {
    ui_test::UseSkin(GetParam());
    window_.Open();
    hwnd_ = window_.GetHWND();
    mkdir(QUORVEL_SCREENSHOT_DIR, 0755);
    const std::wstring archive = GetParam();
    screenshot_ = std::string(QUORVEL_SCREENSHOT_DIR) + "/gallery_" +
                  std::string(archive.begin() + 5, archive.end()) + ".png";
    CUiDriver::Layout(hwnd_);
  }
  void TearDown() override { DestroyWindow(hwnd_); }
  RECT Pos(const wchar_t* name) { return window_.Find(name)->GetPos(); }

  LayoutWindow window_{L"gallery.xml"};
  HWND hwnd_ = nullptr;
  std::string screenshot_;
};

}  // namespace

TEST_P(DrawingTest, ScreenshotIsWritten) {
  ASSERT_TRUE(CUiDriver::SaveScreenshot(hwnd_, screenshot_));
  struct stat info {};
  ASSERT_EQ(stat(screenshot_.c_str(), &info), 0);
  EXPECT_GT(info.st_size, 1000);
}

TEST_P(DrawingTest, BackgroundColoursFillTheirControls) {
  const RECT button = Pos(L"color_button");
  // The corner of the colour button is its background, away from its text.
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, button.left + 2, button.top + 2)), 0xE5393Bu);
  const RECT floating = Pos(L"floating_label");
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, floating.left + 2, floating.top + 2)), 0x71BD5Fu);
  // The slider's filled part and its track.
  const RECT slider = Pos(L"volume_slider");
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, slider.left + 5, slider.top + 2)), 0x3C8CE7u);
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, slider.right - 5, slider.top + 2)), 0x555555u);
  // The hidden control leaves no trace.
  EXPECT_EQ(CountNear(hwnd_, Pos(L"float_area"), 0xFF00FF), 0);
}

TEST_P(DrawingTest, ImagesFromTheArchiveAreDrawn) {
  // The button's normal image is red; the disabled button shows its grey image.
  const RECT button = Pos(L"push_button");
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, button.left + 8, button.top + 8)), 0xE5393Bu);
  const RECT disabled = Pos(L"disabled_button");
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, disabled.left + 8, disabled.top + 8)), 0x9A9A9Au);
  // The JPEG background's top band (kept at its size by the corner) is dark blue.
  const std::uint32_t band = Rgb(win::headless::WindowPixel(hwnd_, 3, 60));
  EXPECT_LT(band & 0xFF, 0x60u);
  EXPECT_LT((band >> 16) & 0xFF, 0x30u);
  // The logo's red circle.
  const RECT logo = Pos(L"product_logo");
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, logo.left + 24, logo.top + 8)), 0xE5393Bu);
}

TEST_P(DrawingTest, TextIsDrawnInItsColour) {
  // Yellow text of the wrapped label, on two lines.
  const RECT text = Pos(L"wrapped_text");
  const LONG middle = (text.top + text.bottom) / 2;
  EXPECT_GT(CountNear(hwnd_, RECT{text.left, text.top, text.right, middle}, 0xFFFF00), 40);
  EXPECT_GT(CountNear(hwnd_, RECT{text.left, middle, text.right, text.bottom}, 0xFFFF00), 40);
  // Dark text in the edit field.
  EXPECT_GT(CountNear(hwnd_, Pos(L"class_code"), 0x333333), 40);
}

TEST_P(DrawingTest, PressedButtonShowsItsPushedImage) {
  const RECT button = Pos(L"push_button");
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 8, button.top + 8));
  CUiDriver::Layout(hwnd_);
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, button.left + 8, button.top + 8)), 0xB82C2Eu);
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(button.left + 8, button.top + 8));
  CUiDriver::Layout(hwnd_);
  EXPECT_NE(Rgb(win::headless::WindowPixel(hwnd_, button.left + 8, button.top + 8)), 0xB82C2Eu);
}

TEST_P(DrawingTest, HoveringShowsTheHotImageUntilTheMouseLeaves) {
  const RECT button = Pos(L"push_button");
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(button.left + 8, button.top + 8));
  CUiDriver::Layout(hwnd_);
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, button.left + 8, button.top + 8)), 0xF05A5Cu);
  SendMessageW(hwnd_, WM_MOUSELEAVE, 0, 0);
  CUiDriver::Layout(hwnd_);
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, button.left + 8, button.top + 8)), 0xE5393Bu);
}

TEST_P(DrawingTest, ChangesRepaintOncePerLoopTurn) {
  window_.Find(L"color_button")->SetAttribute(L"bkcolor", L"#ff00ff00");
  window_.Find(L"floating_label")->SetAttribute(L"bkcolor", L"#ff0000ff");
  // Nothing is drawn before the loop turns.
  const RECT button = Pos(L"color_button");
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, button.left + 2, button.top + 2)), 0xE5393Bu);
  CUiDriver::Pump();
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, button.left + 2, button.top + 2)), 0x00FF00u);
  const RECT floating = Pos(L"floating_label");
  EXPECT_EQ(Rgb(win::headless::WindowPixel(hwnd_, floating.left + 2, floating.top + 2)), 0x0000FFu);
}

TEST_P(DrawingTest, OpenDropDownShowsItsItems) {
  auto* combo = dynamic_cast<ui::CComboUI*>(window_.Find(L"camera_device"));
  combo->SelectItem(0);
  CUiDriver::Click(hwnd_, L"camera_device");
  ASSERT_TRUE(combo->IsDropped());
  const HWND pop_up = combo->GetDropDown()->GetHWND();
  CUiDriver::Pump();
  RECT rect{};
  GetWindowRect(pop_up, &rect);
  EXPECT_EQ(rect.bottom - rect.top, 3 * 30 + 2);
  // The selected first item is highlighted, the others are on white; each has its text.
  EXPECT_EQ(Rgb(win::headless::WindowPixel(pop_up, 3, 3)), 0xC1E3FFu);
  EXPECT_EQ(Rgb(win::headless::WindowPixel(pop_up, 3, 33)), 0xFFFFFFu);
  EXPECT_GT(CountNear(pop_up, RECT{0, 30, rect.right - rect.left, 60}, 0x000000), 20);
  const std::wstring archive = GetParam();
  win::headless::SaveScreenPng(std::string(QUORVEL_SCREENSHOT_DIR) + "/dropdown_" +
                               std::string(archive.begin() + 5, archive.end()) + ".png");
}

INSTANTIATE_TEST_SUITE_P(BothSkins, DrawingTest, ::testing::Values(L"orbs.cn", L"orbs.en"));
