// The floating tip on both real skins: sized to its text plus 60 x 20 (one line, or wrapped at
// 400 pixels), its label the same size, hidden by any timer message, shown again by ShowTip.
#include "widgets/float_tip_wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/app_messages.h"
#include "widgets/notice_text_size.h"
#include "tests/widgets/shell_window_support.h"

using ui::CUiDriver;

namespace {

// The tip with its test-only place: over the top of the owner, where the main window puts it.
class TestTip : public FloatTipWnd {
 public:
  explicit TestTip(HWND owner) { Create(owner, L"", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0); }
  ~TestTip() override { DestroyWindow(GetHWND()); }
  TestTip(const TestTip&) = delete;
  TestTip& operator=(const TestTip&) = delete;

  SIZE WindowSize() const { return shell_test::WindowSize(GetHWND()); }
  SIZE LabelSize() const {
    return SIZE{std::stoi(CUiDriver::GetAttribute(GetHWND(), L"tip_info", L"width").GetData()),
                std::stoi(CUiDriver::GetAttribute(GetHWND(), L"tip_info", L"height").GetData())};
  }
};

const std::wstring kLongText =
    L"Your teacher's network is unstable; the video may freeze for a moment while the lesson "
    L"goes on.";

class FloatTipTest : public shell_test::OwnedWindowTest<TestTip> {
 protected:
  // Shows text, places the tip over the owner's top, and saves the screen.
  void ShowAndShoot(const std::wstring& text, const std::string& name) {
    window_->ShowTip(text);
    const SIZE size = window_->WindowSize();
    MoveWindow(window_->GetHWND(), 100 + (1080 - size.cx) / 2, 50 + 60, size.cx, size.cy, TRUE);
    EXPECT_TRUE(shell_test::SaveScreen(ShotName("float_tip_" + name)));
  }
};

}  // namespace

TEST_P(FloatTipTest, ATipWhoseLayoutFailedShowsNothing) {
  ui::CPaintManagerUI::SetResourceZip(L"orbs.missing", false, nullptr);
  TestTip tip(owner_->hwnd());
  tip.ShowTip(kLongText);
  EXPECT_FALSE(IsWindowVisible(tip.GetHWND()));
}

TEST_P(FloatTipTest, StartsHiddenWithNoSize) {
  EXPECT_FALSE(IsWindowVisible(window_->GetHWND()));
  EXPECT_EQ(window_->WindowSize().cx, 0);
  EXPECT_EQ(window_->WindowSize().cy, 0);
}

TEST_P(FloatTipTest, AOneLineTextGetsSixtyMoreWidthAndTwentyMoreHeight) {
  const std::wstring text = L"正在测试网络，请稍后...";
  const SIZE measured = MeasureNoticeText(window_->GetHWND(), text);
  window_->ShowTip(text);
  EXPECT_TRUE(IsWindowVisible(window_->GetHWND()));
  EXPECT_EQ(std::wstring(CUiDriver::GetText(window_->GetHWND(), L"tip_info").GetData()), text);
  EXPECT_EQ(window_->WindowSize().cx, measured.cx + 60);
  EXPECT_EQ(window_->WindowSize().cy, measured.cy + 20);
  EXPECT_EQ(window_->LabelSize().cx, measured.cx + 60);
  EXPECT_EQ(window_->LabelSize().cy, measured.cy + 20);
}

// The font here is 19 pixels high on one line, so a 250-pixel text gives 310 x 39.
TEST_P(FloatTipTest, ATextMeasuringTwoHundredFiftyWideGivesATipThreeHundredTenWide) {
  const HWND hwnd = window_->GetHWND();
  std::wstring text;
  SIZE measured{};
  for (int wide = 0; wide < 60 && measured.cx != 250; ++wide) {
    for (int narrow = 0; narrow < 20 && measured.cx != 250; ++narrow) {
      text = std::wstring(static_cast<size_t>(wide), L'n') +
             std::wstring(static_cast<size_t>(narrow), L'i');
      measured = MeasureNoticeText(hwnd, text);
    }
  }
  ASSERT_EQ(measured.cx, 250) << "no text of n and i measures 250 pixels";
  const SIZE one_line = MeasureNoticeText(hwnd, L"n");
  ASSERT_EQ(measured.cy, one_line.cy);
  window_->ShowTip(text);
  EXPECT_EQ(window_->WindowSize().cx, 310);
  EXPECT_EQ(window_->WindowSize().cy, one_line.cy + 20);
  EXPECT_EQ(window_->LabelSize().cx, 310);
}

TEST_P(FloatTipTest, ATextWiderThanFourHundredWrapsAtFourHundred) {
  const SIZE measured = MeasureNoticeText(window_->GetHWND(), kLongText);
  const SIZE one_line = MeasureNoticeText(window_->GetHWND(), L"Your");
  window_->ShowTip(kLongText);
  EXPECT_LE(window_->WindowSize().cx, 460);
  EXPECT_GT(window_->WindowSize().cx, 400);
  EXPECT_EQ(window_->WindowSize().cy, measured.cy + 20);
  EXPECT_GE(window_->WindowSize().cy, 2 * one_line.cy + 20);
  EXPECT_EQ(window_->LabelSize().cx, window_->WindowSize().cx);
}

TEST_P(FloatTipTest, ShowingANewTextResizesWithoutMoving) {
  window_->ShowTip(kLongText);
  MoveWindow(window_->GetHWND(), 300, 120, window_->WindowSize().cx, window_->WindowSize().cy,
             TRUE);
  window_->ShowTip(L"OK");
  RECT rect{};
  GetWindowRect(window_->GetHWND(), &rect);
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(rect.top, 120);
  EXPECT_LT(rect.right - rect.left, 200);
}

TEST_P(FloatTipTest, AnyTimerMessageHidesTheTip) {
  window_->ShowTip(L"Network testing, please wait…");
  ASSERT_TRUE(IsWindowVisible(window_->GetHWND()));
  PostMessageW(window_->GetHWND(), WM_TIMER, TIMER_FLOAT_TIP, 0);
  CUiDriver::Pump();
  EXPECT_FALSE(IsWindowVisible(window_->GetHWND()));
  window_->ShowTip(L"Network testing, please wait…");
  PostMessageW(window_->GetHWND(), WM_TIMER, 77, 0);
  CUiDriver::Pump();
  EXPECT_FALSE(IsWindowVisible(window_->GetHWND()));
}

TEST_P(FloatTipTest, ShowTipStopsARunningTipTimer) {
  window_->ShowTip(L"first");
  SetTimer(window_->GetHWND(), TIMER_FLOAT_TIP, 100, nullptr);
  window_->ShowTip(L"second");
  win::headless::AdvanceClock(500);
  CUiDriver::Pump();
  EXPECT_TRUE(IsWindowVisible(window_->GetHWND()));
}

TEST_P(FloatTipTest, TheTimerHidesTheTipWhenItFires) {
  window_->ShowTip(L"Network testing, please wait…");
  SetTimer(window_->GetHWND(), TIMER_FLOAT_TIP, 100, nullptr);
  win::headless::AdvanceClock(150);
  CUiDriver::Pump();
  EXPECT_FALSE(IsWindowVisible(window_->GetHWND()));
}

TEST_P(FloatTipTest, Screenshots) {
  ShowAndShoot(Chinese() ? L"正在测试网络，请稍后..." : L"Network testing, please wait…",
               "network_test");
  ShowAndShoot(Chinese()
                   ? L"老师的网络不稳定，视频可能会短暂卡顿，课堂将继续进行，请耐心等待网络恢复。"
                   : kLongText,
               "wrapped");
}

INSTANTIATE_TEST_SUITE_P(BothSkins, FloatTipTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
