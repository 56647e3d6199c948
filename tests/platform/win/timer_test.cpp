// Window timers on the virtual clock: firing, repeating, replacing and killing.
#include <windows.h>
#include <win/headless.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "tests/platform/win/window_test_support.h"

using win::headless::AdvanceClock;
using win_test::CreateTestWindow;
using win_test::PumpPending;

namespace {

constexpr UINT_PTR kTimer = 2024;

class Timers : public ::testing::Test {
 protected:
  void SetUp() override {
    win_test::RegisterTestClass(L"TimerTest");
    window_ =
        CreateTestWindow(L"TimerTest", [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
          if (m == WM_TIMER) {
            fired_.push_back(wp);
            if (on_timer_) on_timer_(w, wp);
            return 0;
          }
          return DefWindowProcW(w, m, wp, lp);
        });
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { win_test::DestroyTestWindows(); }
  // Moves the clock in steps, letting each due timer fire.
  void Elapse(int milliseconds, int step = 100) {
    for (int done = 0; done < milliseconds; done += step) {
      AdvanceClock(step);
      PumpPending();
    }
  }

  HWND window_ = nullptr;
  std::vector<WPARAM> fired_;
  std::function<void(HWND, WPARAM)> on_timer_;
};

TEST_F(Timers, FireOnlyOnceTheirPeriodHasPassedAndThenRepeat) {
  ASSERT_EQ(SetTimer(window_, kTimer, 500, nullptr), kTimer);
  Elapse(400);
  EXPECT_TRUE(fired_.empty());
  Elapse(100);
  EXPECT_EQ(fired_, std::vector<WPARAM>{kTimer});
  Elapse(1000);
  EXPECT_EQ(fired_.size(), 3u);
}

TEST_F(Timers, AMissedStretchGivesOneExpiryNotABacklog) {
  SetTimer(window_, kTimer, 100, nullptr);
  AdvanceClock(1000);
  PumpPending();
  EXPECT_EQ(fired_.size(), 1u);
}

TEST_F(Timers, SettingARunningIdAgainReplacesIt) {
  SetTimer(window_, kTimer, 500, nullptr);
  Elapse(400);
  SetTimer(window_, kTimer, 3000, nullptr);
  Elapse(2900);
  EXPECT_TRUE(fired_.empty());
  Elapse(100);
  EXPECT_EQ(fired_.size(), 1u);
}

TEST_F(Timers, KilledTimersStayQuiet) {
  SetTimer(window_, kTimer, 100, nullptr);
  EXPECT_TRUE(KillTimer(window_, kTimer));
  EXPECT_FALSE(KillTimer(window_, kTimer));
  Elapse(1000);
  EXPECT_TRUE(fired_.empty());
}

TEST_F(Timers, ATimerCanKillItselfInItsHandler) {
  on_timer_ = [](HWND w, WPARAM id) { KillTimer(w, id); };
  SetTimer(window_, kTimer, 100, nullptr);
  Elapse(1000);
  EXPECT_EQ(fired_.size(), 1u);
}

TEST_F(Timers, TimersOfOneWindowAreIndependentByIdAndFireInDueOrder) {
  SetTimer(window_, 1, 300, nullptr);
  SetTimer(window_, 2, 200, nullptr);
  AdvanceClock(300);
  PumpPending();
  EXPECT_EQ(fired_, (std::vector<WPARAM>{2, 1}));
}

TEST_F(Timers, DestroyingTheWindowStopsItsTimers) {
  SetTimer(window_, kTimer, 100, nullptr);
  DestroyWindow(window_);
  Elapse(1000);
  EXPECT_TRUE(fired_.empty());
  EXPECT_FALSE(KillTimer(window_, kTimer));
}

TEST_F(Timers, AnotherThreadCannotSetTimersOnTheWindow) {
  UINT_PTR result = 1;
  std::thread other([&] { result = SetTimer(window_, kTimer, 100, nullptr); });
  other.join();
  EXPECT_EQ(result, 0u);
}

TEST_F(Timers, ABlockingLoopWakesForADueTimer) {
  SetTimer(window_, kTimer, 500, nullptr);
  std::thread clock([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    AdvanceClock(500);
  });
  EXPECT_TRUE(win_test::RunLoopUntil([&] { return !fired_.empty(); }));
  clock.join();
}

TEST_F(Timers, TheVirtualClockDrivesNow) {
  win::headless::SetUnixTime(1700000000);
  FILETIME before{};
  GetSystemTimeAsFileTime(&before);
  AdvanceClock(90 * 1000);
  FILETIME after{};
  GetSystemTimeAsFileTime(&after);
  auto seconds = [](const FILETIME& t) {
    std::uint64_t value = (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<std::int64_t>((value - 116444736000000000ULL) / 10000000ULL);
  };
  EXPECT_EQ(seconds(before), 1700000000);
  EXPECT_EQ(seconds(after), 1700000090);
}

}  // namespace
