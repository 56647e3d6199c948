// The floating tip on both real skins: sized to its text plus 60 x 20 (one line, or wrapped at
// 400 pixels), its label the same size, hidden by any timer message, shown again by ShowTip.
#include "app/float_tip_wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/app_messages.h"
#include "app/notice_text_size.h"
#include "tests/app/shell_window_support.h"

using DuiLib::CUiDriver;

namespace {

// The tip with its test-only place: over the top of the owner, where the main window puts it.
class TestTip : public FloatTipWnd {
 public:
  explicit TestTip(HWND owner) {
    Create(owner, L"", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0);
  }
  ~TestTip() override { DestroyWindow(GetHWND()); }
  TestTip(const TestTip&) = delete;
  TestTip& operator=(const TestTip&) = delete;

  SIZE WindowSize() const {
    RECT rect{};
    GetWindowRect(GetHWND(), &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }
  SIZE LabelSize() const {
    return SIZE{std::stoi(CUiDriver::GetAttribute(GetHWND(), L"tip_info", L"width").GetData()),
                std::stoi(CUiDriver::GetAttribute(GetHWND(), L"tip_info", L"height").GetData())};
  }
};

const std::wstring kLongText =
    L"Your teacher's network is unstable; the video may freeze for a moment while the lesson "
    L"goes on.";

class FloatTipTest : public ::testing::TestWithParam<shell_test::Skin> {
 protected:
  void SetUp() override {
    ui_test::UseSkin(GetParam().archive);
    owner_ = std::make_unique<shell_test::OwnerWindow>();
    tip_ = std::make_unique<TestTip>(owner_->hwnd());
  }
  void TearDown() override {
    tip_.reset();
    owner_.reset();
  }

  // Shows text, places the tip over the owner's top, and saves the screen.
  void ShowAndShoot(const std::wstring& text, const std::string& name) {
    tip_->ShowTip(text);
    const SIZE size = tip_->WindowSize();
    MoveWindow(tip_->GetHWND(), 100 + (1080 - size.cx) / 2, 50 + 60, size.cx, size.cy, TRUE);
    EXPECT_TRUE(shell_test::SaveScreen(std::string("float_tip_") + GetParam().language + "_" + name));
  }

  std::unique_ptr<shell_test::OwnerWindow> owner_;
  std::unique_ptr<TestTip> tip_;
};

}  // namespace

TEST_P(FloatTipTest, StartsHiddenWithNoSize) {
  EXPECT_FALSE(IsWindowVisible(tip_->GetHWND()));
  EXPECT_EQ(tip_->WindowSize().cx, 0);
  EXPECT_EQ(tip_->WindowSize().cy, 0);
}

TEST_P(FloatTipTest, AOneLineTextGetsSixtyMoreWidthAndTwentyMoreHeight) {
  const std::wstring text = L"正在测试网络，请稍后...";
  const SIZE measured = MeasureNoticeText(tip_->GetHWND(), text);
  tip_->ShowTip(text);
  EXPECT_TRUE(IsWindowVisible(tip_->GetHWND()));
  EXPECT_EQ(std::wstring(CUiDriver::GetText(tip_->GetHWND(), L"tip_info").GetData()), text);
  EXPECT_EQ(tip_->WindowSize().cx, measured.cx + 60);
  EXPECT_EQ(tip_->WindowSize().cy, measured.cy + 20);
  EXPECT_EQ(tip_->LabelSize().cx, measured.cx + 60);
  EXPECT_EQ(tip_->LabelSize().cy, measured.cy + 20);
}

// The font here is 19 pixels high on one line, so a 250-pixel text gives 310 x 39.
TEST_P(FloatTipTest, ATextMeasuringTwoHundredFiftyWideGivesATipThreeHundredTenWide) {
  const HWND hwnd = tip_->GetHWND();
  std::wstring text;
  SIZE measured{};
  for (int wide = 0; wide < 60 && measured.cx != 250; ++wide) {
    for (int narrow = 0; narrow < 20 && measured.cx != 250; ++narrow) {
      text = std::wstring(static_cast<size_t>(wide), L'n') + std::wstring(static_cast<size_t>(narrow), L'i');
      measured = MeasureNoticeText(hwnd, text);
    }
  }
  ASSERT_EQ(measured.cx, 250) << "no text of n and i measures 250 pixels";
  const SIZE one_line = MeasureNoticeText(hwnd, L"n");
  ASSERT_EQ(measured.cy, one_line.cy);
  tip_->ShowTip(text);
  EXPECT_EQ(tip_->WindowSize().cx, 310);
  EXPECT_EQ(tip_->WindowSize().cy, one_line.cy + 20);
  EXPECT_EQ(tip_->LabelSize().cx, 310);
}

TEST_P(FloatTipTest, ATextWiderThanFourHundredWrapsAtFourHundred) {
  const SIZE measured = MeasureNoticeText(tip_->GetHWND(), kLongText);
  const SIZE one_line = MeasureNoticeText(tip_->GetHWND(), L"Your");
  tip_->ShowTip(kLongText);
  EXPECT_LE(tip_->WindowSize().cx, 460);
  EXPECT_GT(tip_->WindowSize().cx, 400);
  EXPECT_EQ(tip_->WindowSize().cy, measured.cy + 20);
  EXPECT_GE(tip_->WindowSize().cy, 2 * one_line.cy + 20);
  EXPECT_EQ(tip_->LabelSize().cx, tip_->WindowSize().cx);
}

TEST_P(FloatTipTest, ShowingANewTextResizesWithoutMoving) {
  tip_->ShowTip(kLongText);
  MoveWindow(tip_->GetHWND(), 300, 120, tip_->WindowSize().cx, tip_->WindowSize().cy, TRUE);
  tip_->ShowTip(L"OK");
  RECT rect{};
  GetWindowRect(tip_->GetHWND(), &rect);
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(rect.top, 120);
  EXPECT_LT(rect.right - rect.left, 200);
}

TEST_P(FloatTipTest, AnyTimerMessageHidesTheTip) {
  tip_->ShowTip(L"Network testing, please wait…");
  ASSERT_TRUE(IsWindowVisible(tip_->GetHWND()));
  PostMessageW(tip_->GetHWND(), WM_TIMER, TIMER_FLOAT_TIP, 0);
  CUiDriver::Pump();
  EXPECT_FALSE(IsWindowVisible(tip_->GetHWND()));
  tip_->ShowTip(L"Network testing, please wait…");
  PostMessageW(tip_->GetHWND(), WM_TIMER, 77, 0);
  CUiDriver::Pump();
  EXPECT_FALSE(IsWindowVisible(tip_->GetHWND()));
}

TEST_P(FloatTipTest, ShowTipStopsARunningTipTimer) {
  tip_->ShowTip(L"first");
  SetTimer(tip_->GetHWND(), TIMER_FLOAT_TIP, 100, nullptr);
  tip_->ShowTip(L"second");
  win::headless::AdvanceClock(500);
  CUiDriver::Pump();
  EXPECT_TRUE(IsWindowVisible(tip_->GetHWND()));
}

TEST_P(FloatTipTest, TheTimerHidesTheTipWhenItFires) {
  tip_->ShowTip(L"Network testing, please wait…");
  SetTimer(tip_->GetHWND(), TIMER_FLOAT_TIP, 100, nullptr);
  win::headless::AdvanceClock(150);
  CUiDriver::Pump();
  EXPECT_FALSE(IsWindowVisible(tip_->GetHWND()));
}

TEST_P(FloatTipTest, Screenshots) {
  ShowAndShoot(std::string(GetParam().language) == "cn" ? L"正在测试网络，请稍后..."
                                                         : L"Network testing, please wait…",
               "network_test");
  ShowAndShoot(std::string(GetParam().language) == "cn"
                   ? L"老师的网络不稳定，视频可能会短暂卡顿，课堂将继续进行，请耐心等待网络恢复。"
                   : kLongText,
               "wrapped");
}

INSTANTIATE_TEST_SUITE_P(BothSkins, FloatTipTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
