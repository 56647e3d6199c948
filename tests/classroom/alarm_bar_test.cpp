// The alarm bar on both real skins, owned by a stand-in main window that records what reaches
// it, with the headless clock standing in for the computer's: the minutes to the start, the
// stop at the start second with its one message, and the mouse passed on to the owner.
#include "classroom/alarm_bar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/app_messages.h"
#include "tests/widgets/shell_window_support.h"
#include "tests/platform/ui/ui_test_support.h"

using ui::CUiDriver;

namespace {

constexpr std::int64_t kNow = 1'800'000'000;

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Created and placed as the main window does it: hidden, then across the owner's middle.
class TestAlarmBar : public AlarmBar {
 public:
  explicit TestAlarmBar(HWND owner) {
    Create(owner, L"QV-AlarmBar", WS_DISABLED, 0, 0, 0, 1080, 675);
    RECT rect{};
    GetWindowRect(owner, &rect);
    MoveWindow(GetHWND(), rect.left + 5, rect.top + (rect.bottom - rect.top - 31) / 2 - 56,
               rect.right - rect.left - 10, 174, TRUE);
  }
  ~TestAlarmBar() override { DestroyWindow(GetHWND()); }
  TestAlarmBar(const TestAlarmBar&) = delete;
  TestAlarmBar& operator=(const TestAlarmBar&) = delete;
};

class AlarmBarTest : public ::testing::TestWithParam<shell_test::Skin> {
 protected:
  void SetUp() override {
    ui_test::UseSkin(GetParam().archive);
    win::headless::SetUnixTime(kNow);
    owner_.on_message = [this](UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
      seen_.push_back({message, wParam, lParam});
      handled = FALSE;
      return LRESULT{0};
    };
    owner_.Open();
    MoveWindow(owner_.GetHWND(), 100, 50, 1080, 675, TRUE);
    bar_ = std::make_unique<TestAlarmBar>(owner_.GetHWND());
    CUiDriver::Pump();
    seen_.clear();
  }
  void TearDown() override {
    bar_.reset();
    DestroyWindow(owner_.GetHWND());
  }

  HWND Bar() const { return bar_->GetHWND(); }
  bool Chinese() const { return std::string(GetParam().language) == "cn"; }
  std::wstring Sentence(int minutes) const {
    return Chinese() ? L"距离上课还有 " + std::to_wstring(minutes) + L" 分钟，请耐心等待"
                     : L"The lesson starts in " + std::to_wstring(minutes) +
                           L" min. Please wait a moment.";
  }
  std::wstring Shown() const { return CUiDriver::GetText(Bar(), L"warn_info").str(); }
  // One period of the bar's timer on the virtual clock, and whatever it caused.
  void Tick() {
    win::headless::AdvanceClock(kLessonClockPeriodMs);
    CUiDriver::Pump();
  }
  int Received(UINT message) const {
    int count = 0;
    for (const Seen& seen : seen_) count += seen.message == message ? 1 : 0;
    return count;
  }
  const Seen* Last(UINT message) const {
    for (auto it = seen_.rbegin(); it != seen_.rend(); ++it) {
      if (it->message == message) return &*it;
    }
    return nullptr;
  }

  ui_test::LayoutWindow owner_{L"main_wnd.xml", L"QvAlarmOwner"};
  std::unique_ptr<TestAlarmBar> bar_;
  std::vector<Seen> seen_;
};

}  // namespace

TEST_P(AlarmBarTest, IsHiddenUntilStartedAndFoundByItsClass) {
  EXPECT_FALSE(IsWindowVisible(Bar()));
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"QV-ALERMBAR"), Bar());
  EXPECT_EQ(GetWindow(Bar(), GW_OWNER), owner_.GetHWND());
}

TEST_P(AlarmBarTest, StartBeforeTheLessonShowsTheBarWithItsSentenceFromTheFirstTick) {
  bar_->Start(kNow + 61);
  EXPECT_TRUE(IsWindowVisible(Bar()));
  EXPECT_FALSE(CUiDriver::IsVisible(Bar(), L"alarm_icon"));
  EXPECT_FALSE(CUiDriver::IsVisible(Bar(), L"warn_info"));
  EXPECT_FALSE(CUiDriver::IsVisible(Bar(), L"warn_info_format"));
  Tick();
  EXPECT_TRUE(CUiDriver::IsVisible(Bar(), L"alarm_icon"));
  EXPECT_TRUE(CUiDriver::IsVisible(Bar(), L"warn_info"));
  EXPECT_EQ(Shown(), Sentence(2));
}

TEST_P(AlarmBarTest, MinutesAreRoundedUpToWholeMinutes) {
  bar_->Start(kNow + 60);
  Tick();
  EXPECT_EQ(Shown(), Sentence(1));
  win::headless::SetUnixTime(kNow);
  bar_->Start(kNow + 1);
  Tick();
  EXPECT_EQ(Shown(), Sentence(1));
  EXPECT_EQ(Received(UM_LESSON_START_REACHED), 0);
}

TEST_P(AlarmBarTest, TheCountShowsEveryMinuteToAStartHoursAway) {
  bar_->Start(kNow + 2 * 3600);
  Tick();
  EXPECT_EQ(Shown(), Sentence(120));
  bar_->Start(kNow + 3600 + 5 * 60);
  Tick();
  EXPECT_EQ(Shown(), Sentence(65));
}

TEST_P(AlarmBarTest, TheCountGoesDownAsTheClockMoves) {
  bar_->Start(kNow + 3 * 60);
  Tick();
  EXPECT_EQ(Shown(), Sentence(3));
  for (int tick = 0; tick < 2 * 61; ++tick) Tick();  // 61 s later
  EXPECT_EQ(Shown(), Sentence(2));
  EXPECT_TRUE(IsWindowVisible(Bar()));
}

TEST_P(AlarmBarTest, AtTheStartSecondItHidesAndTellsItsOwnerOnce) {
  bar_->Start(kNow + 1);
  Tick();  // now + 0.5 s: still counting
  EXPECT_TRUE(IsWindowVisible(Bar()));
  Tick();  // now + 1 s: the start
  EXPECT_FALSE(IsWindowVisible(Bar()));
  ASSERT_EQ(Received(UM_LESSON_START_REACHED), 1);
  EXPECT_EQ(Last(UM_LESSON_START_REACHED)->wParam, 0u);
  EXPECT_EQ(Last(UM_LESSON_START_REACHED)->lParam, 0);
  for (int tick = 0; tick < 6; ++tick) Tick();
  EXPECT_EQ(Received(UM_LESSON_START_REACHED), 1);  // its timer stopped
}

TEST_P(AlarmBarTest, EnteringAfterTheStartShowsNothingAndEndsOnTheFirstTick) {
  bar_->Start(kNow - 30);
  EXPECT_FALSE(IsWindowVisible(Bar()));
  Tick();
  EXPECT_FALSE(IsWindowVisible(Bar()));
  EXPECT_FALSE(CUiDriver::IsVisible(Bar(), L"warn_info"));
  EXPECT_EQ(Received(UM_LESSON_START_REACHED), 1);
}

TEST_P(AlarmBarTest, AStartTimeMissingFromTheReplyLiesInThePast) {
  bar_->Start(0);
  EXPECT_FALSE(IsWindowVisible(Bar()));
  Tick();
  EXPECT_EQ(Received(UM_LESSON_START_REACHED), 1);
}

TEST_P(AlarmBarTest, AHiddenBarKeepsCountingUntilTheStartAndCanBeArmedAgain) {
  bar_->Start(kNow + 1);
  ShowWindow(Bar(), SW_HIDE);  // the classroom closed before the start
  Tick();
  EXPECT_EQ(Received(UM_LESSON_START_REACHED), 0);
  Tick();
  EXPECT_EQ(Received(UM_LESSON_START_REACHED), 1);
  bar_->Start(kNow + 10 * 60);
  EXPECT_TRUE(IsWindowVisible(Bar()));
  EXPECT_FALSE(CUiDriver::IsVisible(Bar(), L"warn_info"));  // hidden again until the tick
  Tick();
  EXPECT_EQ(Shown(), Sentence(10));
}

TEST_P(AlarmBarTest, TheMouseNeverHitsTheBar) {
  bar_->Start(kNow + 600);
  RECT rect{};
  GetWindowRect(Bar(), &rect);
  for (const POINT point : {POINT{rect.left + 1, rect.top + 1},
                            POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}}) {
    EXPECT_EQ(SendMessageW(Bar(), WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y)), HTNOWHERE);
  }
}

TEST_P(AlarmBarTest, ButtonsAndMovesReachTheOwnerUnchanged) {
  const LPARAM point = MAKELPARAM(321, 87);
  SendMessageW(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(Bar(), WM_LBUTTONUP, 0, point);
  ASSERT_EQ(Received(WM_LBUTTONDOWN), 1);
  EXPECT_EQ(Last(WM_LBUTTONDOWN)->wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(Last(WM_LBUTTONDOWN)->lParam, point);
  ASSERT_EQ(Received(WM_LBUTTONUP), 1);
  EXPECT_EQ(Last(WM_LBUTTONUP)->lParam, point);
  SendMessageW(Bar(), WM_MOVE, 0, MAKELPARAM(40, 30));
  ASSERT_EQ(Received(WM_MOVE), 1);
  EXPECT_EQ(Last(WM_MOVE)->lParam, MAKELPARAM(40, 30));
  EXPECT_EQ(Received(WM_MOUSEMOVE), 0);
}

TEST_P(AlarmBarTest, MovingTheBarTellsTheOwner) {
  MoveWindow(Bar(), 200, 300, 900, 174, TRUE);
  CUiDriver::Pump();
  EXPECT_GE(Received(WM_MOVE), 1);
}

TEST_P(AlarmBarTest, LooksFinishedOverItsOwner) {
  bar_->Start(kNow + 25 * 60);
  Tick();
  EXPECT_EQ(Shown(), Sentence(25));
  EXPECT_TRUE(shell_test::SaveScreen("alarm_bar_" + std::string(GetParam().language)));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, AlarmBarTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
