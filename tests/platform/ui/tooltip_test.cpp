// Hover tooltips in the gallery layout of the real archive: a cut-off text shows whole after
// the hover delay (on the headless clock), a text that fits shows none.
#include <gtest/gtest.h>

#include <functional>

#include "ui_test_support.h"

using ui::CUiDriver;

namespace {

class ToolTipTest : public ui_test::GalleryTest<::testing::TestWithParam<const wchar_t*>> {
 protected:
  void SetUp() override {
    OpenGallery(GetParam());
    CUiDriver::Layout(hwnd_);
  }
  std::wstring TipAfter(int milliseconds) {
    win::headless::AdvanceClock(milliseconds);
    CUiDriver::Pump();
    return CUiDriver::ToolTipText(hwnd_).str();
  }
};

const std::wstring kLongName =
    L"Integrated camera of the lesson room with a very long name: 会议室高清摄像头 (front, left)";

struct HoverCase {
  const wchar_t* control;
  std::wstring text;  // set before the hover; empty keeps the layout's
  std::wstring tip;   // what shows after the delay
};

TEST_P(ToolTipTest, OnlyCutOffTextShowsWholeAfterTheDelay) {
  const HoverCase cases[] = {
      {L"plain_label", kLongName, kLongName},
      {L"plain_label", L"Short label", L""},
      {L"app_version", L"", L""},
      {L"floating_label", L"A floating label too long for it", L"A floating label too long for it"},
  };
  for (const HoverCase& c : cases) {
    if (!c.text.empty()) window_.Find(c.control)->SetText(c.text.c_str());
    ASSERT_TRUE(CUiDriver::Hover(hwnd_, c.control));
    EXPECT_EQ(TipAfter(499), L"") << c.control;
    EXPECT_EQ(TipAfter(1), c.tip) << c.control;
    ASSERT_TRUE(CUiDriver::Hover(hwnd_, L"product_logo"));
    EXPECT_EQ(CUiDriver::ToolTipText(hwnd_).str(), L"");
  }
}

TEST_P(ToolTipTest, AKeyAPressOrHidingTheWindowHidesTheTip) {
  window_.Find(L"plain_label")->SetText(kLongName.c_str());
  const std::function<void()> hiders[] = {
      [this] { SendMessageW(hwnd_, WM_KEYDOWN, VK_SHIFT, 0); },
      [this] { CUiDriver::Click(hwnd_, L"plain_label"); },
      [this] { ShowWindow(hwnd_, SW_HIDE); },
  };
  for (const auto& hide : hiders) {
    ASSERT_TRUE(CUiDriver::Hover(hwnd_, L"product_logo"));
    ASSERT_TRUE(CUiDriver::Hover(hwnd_, L"plain_label"));
    ASSERT_EQ(TipAfter(500), kLongName);
    hide();
    EXPECT_EQ(CUiDriver::ToolTipText(hwnd_).str(), L"");
  }
}

INSTANTIATE_TEST_SUITE_P(BothSkins, ToolTipTest, ::testing::Values(L"orbs.cn", L"orbs.en"));

}  // namespace
