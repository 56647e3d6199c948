// The status bar on both real skins, made and placed as the main window does it, over a
// recording shell, with the headless clock standing in for the computer's: the lesson clock,
// its red colour, the teacher's countdown, the closing of the classroom, and Stop.
#include "classroom/status_bar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "base/app_messages.h"
#include "service/data_holder.h"
#include "tests/classroom/bars_fixture.h"

using ui::CUiDriver;

namespace {

// The lesson of the examples: start T, duration D, countdown W, closing margin F.
constexpr std::int64_t T = 1000;
constexpr std::int64_t D = 3600;
constexpr std::int64_t W = 300;
constexpr std::int64_t F = 600;

constexpr const wchar_t* kWhite = L"#ffffffff";
constexpr const wchar_t* kRed = L"#ffe5393b";

enum class Participant { Teacher, Student, Assistant };

// Created visible and placed along the owner's bottom, as the main window does it.
class TestStatusBar : public StatusBar {
 public:
  TestStatusBar(ClassroomShell& shell, DataHolder& holder, HWND owner) : StatusBar(shell, holder) {
    Create(owner, L"QV-StatusBar", WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
           0, 0, 1080, 675);
    RECT rect{};
    GetWindowRect(owner, &rect);
    MoveWindow(GetHWND(), rect.left + 5, rect.bottom - 61, rect.right - rect.left - 10, 56, TRUE);
  }
  ~TestStatusBar() override { DestroyWindow(GetHWND()); }
};

class StatusBarTest : public shell_test::SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    shell_.owner = owner_->hwnd();
    bar_ = std::make_unique<TestStatusBar>(shell_, holder_, owner_->hwnd());
    CUiDriver::Pump();
  }
  void TearDown() override {
    bar_.reset();
    SkinTest::TearDown();
  }

  // Armed at now for a lesson the service described with these figures.
  void StartLesson(Participant participant, std::int64_t now, bool recording = false,
                   std::int64_t start = T, std::int64_t duration = D, std::int64_t countdown = W,
                   std::int64_t forceclose = F) {
    win::headless::SetUnixTime(now);
    LessonRecord& lesson = holder_.lesson();
    lesson.user_type = participant == Participant::Teacher   ? "1"
                       : participant == Participant::Student ? "0"
                                                             : "2";
    lesson.start_time = start;
    lesson.duration = duration;
    lesson.countdown = countdown;
    lesson.forceclose = forceclose;
    bar_->Start();
    bar_->ShowRecording(recording);
  }
  // One period of the lesson clock on the virtual clock.
  static void Tick() {
    win::headless::AdvanceClock(kLessonClockPeriodMs);
    CUiDriver::Pump();
  }
  // Ticks until "now" has moved on by that many whole seconds.
  static void Seconds(int seconds) {
    for (int tick = 0; tick < 2 * seconds; ++tick) Tick();
  }
  // The first tick after "now" has become seconds: jumps there half a period early.
  static void FirstTickAt(std::int64_t seconds) {
    win::headless::SetUnixTime(seconds);
    Tick();
  }

  HWND Bar() const { return bar_->GetHWND(); }
  bool Shown() const { return IsWindowVisible(Bar()) != FALSE; }
  bool Visible(const wchar_t* control) const { return CUiDriver::IsVisible(Bar(), control); }
  std::wstring Text(const wchar_t* control) const {
    return CUiDriver::GetText(Bar(), control).str();
  }
  std::wstring Attribute(const wchar_t* control, const wchar_t* attribute) const {
    return CUiDriver::GetAttribute(Bar(), control, attribute).str();
  }
  bool Red() const {
    return Attribute(L"time_icon", L"bkimage") == L"red_clock.png" &&
           Attribute(L"time_counter", L"textcolor") == kRed &&
           Attribute(L"warn_info", L"textcolor") == kRed;
  }
  bool White() const {
    return Attribute(L"time_icon", L"bkimage") == L"white_clock.png" &&
           Attribute(L"time_counter", L"textcolor") == kWhite &&
           Attribute(L"warn_info", L"textcolor") == kWhite;
  }
  std::wstring Countdown(int minutes) const {
    return Chinese() ? L"距离课程结束还有 " + std::to_wstring(minutes) + L" 分钟"
                     : L"The lesson closes in " + std::to_wstring(minutes) + L" min";
  }

  DataHolder holder_;
  bars_test::RecordingShell shell_;
  std::unique_ptr<TestStatusBar> bar_;
};

}  // namespace

// The lesson clock.

TEST_P(StatusBarTest, IsFoundByItsClassAndNeverTakesTheMouse) {
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"StatusBar"), Bar());
  EXPECT_EQ(GetWindow(Bar(), GW_OWNER), owner_->hwnd());
  RECT rect{};
  GetWindowRect(Bar(), &rect);
  EXPECT_EQ(SendMessageW(Bar(), WM_NCHITTEST, 0, MAKELPARAM(rect.left + 20, rect.top + 20)),
            HTNOWHERE);
}

TEST_P(StatusBarTest, StartShowsTheBarWithEverythingHiddenUntilTheFirstTick) {
  ShowWindow(Bar(), SW_HIDE);  // placed hidden when the classroom opened
  StartLesson(Participant::Teacher, T + 10);
  EXPECT_TRUE(Shown());
  EXPECT_FALSE(Visible(L"time_icon"));
  EXPECT_FALSE(Visible(L"time_counter"));
  EXPECT_FALSE(Visible(L"warn_info"));
  EXPECT_FALSE(Visible(L"record_status"));
  EXPECT_FALSE(Visible(L"warn_info_format"));
  EXPECT_TRUE(White());
  EXPECT_EQ(Attribute(L"record_status", L"textcolor"), L"#ff00ff00");
  Tick();
  EXPECT_TRUE(Visible(L"time_icon"));
  EXPECT_TRUE(Visible(L"time_counter"));
  EXPECT_EQ(Text(L"time_counter"), L"00:00:10");
}

TEST_P(StatusBarTest, BeforeTheStartTheClockIsHiddenAndAppearsByItself) {
  StartLesson(Participant::Student, T - 2);
  Tick();  // T - 1.5
  Tick();  // T - 1
  Tick();
  Tick();  // T
  EXPECT_FALSE(Visible(L"time_counter"));
  EXPECT_FALSE(Visible(L"time_icon"));
  Tick();
  Tick();  // T + 1
  EXPECT_TRUE(Visible(L"time_counter"));
  EXPECT_TRUE(Visible(L"time_icon"));
  EXPECT_EQ(Text(L"time_counter"), L"00:00:01");
}

TEST_P(StatusBarTest, TheClockCountsHoursMinutesAndSeconds) {
  StartLesson(Participant::Student, T);
  Seconds(1);
  EXPECT_EQ(Text(L"time_counter"), L"00:00:01");
  Seconds(59);
  EXPECT_EQ(Text(L"time_counter"), L"00:01:00");
  FirstTickAt(T + 3600 + 23 * 60 + 45);
  EXPECT_EQ(Text(L"time_counter"), L"01:23:45");
}

TEST_P(StatusBarTest, TheHoursWrapAfterADay) {
  StartLesson(Participant::Student, T, false, T, 3 * 24 * 3600, 0, 0);
  FirstTickAt(T + 24 * 3600 - 1);
  EXPECT_EQ(Text(L"time_counter"), L"23:59:59");
  FirstTickAt(T + 24 * 3600);
  EXPECT_EQ(Text(L"time_counter"), L"00:00:00");
  FirstTickAt(T + 25 * 3600 + 2);
  EXPECT_EQ(Text(L"time_counter"), L"01:00:02");
}

TEST_P(StatusBarTest, TheRecordingIndicatorFollowsTheLesson) {
  StartLesson(Participant::Student, T - 100, true);
  EXPECT_TRUE(Visible(L"record_status"));  // shown before the start as well
  Tick();
  EXPECT_TRUE(Visible(L"record_status"));
  StartLesson(Participant::Student, T + 5, false);
  Tick();
  EXPECT_FALSE(Visible(L"record_status"));
}

// The teacher's lesson: T = 1000, D = 3600, W = 300, F = 600.

TEST_P(StatusBarTest, ForTheTeacherTheClockTurnsRedAfterTheCountdownMoment) {
  StartLesson(Participant::Teacher, T);
  FirstTickAt(4300);
  EXPECT_TRUE(White());
  FirstTickAt(4301);
  EXPECT_TRUE(Red());
  Seconds(10);
  EXPECT_TRUE(Red());  // and stays red
  EXPECT_FALSE(Visible(L"warn_info"));
}

TEST_P(StatusBarTest, ForTheTeacherTheCountdownAppearsAfterTheEndShowingMinutesRoundedUp) {
  StartLesson(Participant::Teacher, T);
  FirstTickAt(4600);
  EXPECT_FALSE(Visible(L"warn_info"));
  FirstTickAt(4601);
  EXPECT_TRUE(Visible(L"warn_info"));
  EXPECT_EQ(Text(L"warn_info"), Countdown(10));  // 599 s left
  FirstTickAt(4660);
  EXPECT_EQ(Text(L"warn_info"), Countdown(9));  // 540 s
  FirstTickAt(5199);
  EXPECT_EQ(Text(L"warn_info"), Countdown(1));
  EXPECT_TRUE(Red());
}

TEST_P(StatusBarTest, ForTheTeacherTheClassroomClosesOnTheFirstTickAfterTheClosingTime) {
  StartLesson(Participant::Teacher, T);
  FirstTickAt(5200);
  EXPECT_TRUE(Shown());
  EXPECT_EQ(shell_.leaves, 0);
  Tick();  // 5201
  EXPECT_FALSE(Shown());
  EXPECT_EQ(shell_.leaves, 1);
  Seconds(5);
  EXPECT_EQ(shell_.leaves, 1);  // its timer stopped
}

// The student's lesson with the same times.

TEST_P(StatusBarTest, ForAStudentOrAnAssistantThereIsNoCountdownAndRedOnlyOnTheClosingTick) {
  for (const Participant participant : {Participant::Student, Participant::Assistant}) {
    shell_.leaves = 0;
    StartLesson(participant, T);
    FirstTickAt(5100);
    EXPECT_FALSE(Visible(L"warn_info"));
    FirstTickAt(5200);
    EXPECT_TRUE(White());
    EXPECT_EQ(shell_.leaves, 0);
    FirstTickAt(5201);
    EXPECT_TRUE(Red());
    EXPECT_FALSE(Visible(L"warn_info"));
    EXPECT_EQ(shell_.leaves, 1);
    EXPECT_FALSE(Shown());
  }
}

// The countdown's rounding.

TEST_P(StatusBarTest, CountdownsOf61And60And3601SecondsShow2And1And61) {
  constexpr std::int64_t kNow = 10'000;
  for (const auto& [left, minutes] : {std::pair<int, int>{61, 2}, {60, 1}, {3601, 61}}) {
    // The lesson ended a second ago and closes in left seconds.
    StartLesson(Participant::Teacher, kNow, false, T, kNow - 1 - T, W, left + 1);
    FirstTickAt(kNow);
    EXPECT_EQ(Text(L"warn_info"), Countdown(minutes)) << left << " s left";
  }
}

// Ending.

TEST_P(StatusBarTest, TimesOfZeroCloseTheClassroomOnTheFirstTick) {
  StartLesson(Participant::Teacher, T, false, 0, 0, 0, 0);
  Tick();
  EXPECT_TRUE(Red());
  EXPECT_EQ(shell_.leaves, 1);
  EXPECT_FALSE(Shown());
}

TEST_P(StatusBarTest, StopKeepsALateTickFromEndingALessonAlreadyLeft) {
  StartLesson(Participant::Teacher, T);
  Seconds(2);
  bar_->Stop();  // the participant hung up
  ShowWindow(Bar(), SW_HIDE);
  FirstTickAt(6000);
  Seconds(3);
  EXPECT_EQ(shell_.leaves, 0);
  EXPECT_EQ(Text(L"time_counter"), L"00:00:02");  // not a tick since
}

TEST_P(StatusBarTest, StartAfterStopArmsTheClockAgain) {
  StartLesson(Participant::Teacher, T);
  bar_->Stop();
  StartLesson(Participant::Student, T + 7);
  Tick();
  EXPECT_EQ(Text(L"time_counter"), L"00:00:07");
  EXPECT_TRUE(White());
}

TEST_P(StatusBarTest, MovingTheBarIsHandledWithoutEffect) {
  StartLesson(Participant::Student, T + 1);
  MoveWindow(Bar(), 200, 600, 900, 56, TRUE);
  CUiDriver::Pump();
  EXPECT_TRUE(Shown());
  EXPECT_EQ(shell_.leaves, 0);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, StatusBarTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
