// Both bars over a classroom with a bright picture in it, on both real skins, as the main
// window places them: what the user sees, saved for looking at, and the see-through parts that
// the look relies on (the video shows through the top of the control bar, the status bar
// through its bottom).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "classroom/control_bar.h"
#include "classroom/meeting_view.h"
#include "classroom/status_bar.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "tests/classroom/bars_fixture.h"
#include "tests/media/mock_engine.h"

using ui::CUiDriver;

namespace {

constexpr std::int64_t kStart = 1'800'000'000;

media_test::MockRtcEngine* current_engine = nullptr;
rtc::IRtcEngine* TestFactory() { return current_engine; }

class PlacedControlBar : public ControlBar {
 public:
  PlacedControlBar(ClassroomShell& shell, MediaEngine& media, HWND owner)
      : ControlBar(shell, media) {
    Create(owner, L"QV-ControlBar", WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 1080, 675);
    RECT rect{};
    GetWindowRect(owner, &rect);
    MoveWindow(GetHWND(), rect.left + 5, rect.bottom - 185, rect.right - rect.left - 10, 180, TRUE);
  }
  ~PlacedControlBar() override { DestroyWindow(GetHWND()); }
};

class PlacedStatusBar : public StatusBar {
 public:
  PlacedStatusBar(ClassroomShell& shell, DataHolder& holder, HWND owner)
      : StatusBar(shell, holder) {
    Create(owner, L"QV-StatusBar", WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
           0, 0, 1080, 675);
    RECT rect{};
    GetWindowRect(owner, &rect);
    MoveWindow(GetHWND(), rect.left + 5, rect.bottom - 61, rect.right - rect.left - 10, 56, TRUE);
  }
  ~PlacedStatusBar() override { DestroyWindow(GetHWND()); }
};

// A classroom as a lesson fills it: a large bright picture and two small ones at the side.
void PaintClassroom(HWND window) {
  const HDC dc = GetDC(window);
  const auto fill = [dc](RECT rect, COLORREF colour) {
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  };
  fill({0, 32, 1080, 675}, RGB(0x1E, 0x22, 0x29));
  fill({0, 32, 840, 675}, RGB(0xA9, 0xB7, 0xC4));
  fill({240, 180, 600, 675}, RGB(0xD8, 0xC3, 0xA5));
  fill({840, 32, 1080, 212}, RGB(0x5F, 0x7A, 0x8C));
  fill({840, 212, 1080, 392}, RGB(0x7D, 0x6B, 0x8F));
  ReleaseDC(window, dc);
}

std::uint8_t Alpha(HWND window, int x, int y) {
  return static_cast<std::uint8_t>(win::headless::WindowPixel(window, x, y) >> 24);
}

class BarsScreenshotTest : public shell_test::SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    current_engine = &engine_;
    win::headless::MoveCursor(5, 5);
    shell_.owner = owner_->hwnd();
    shell_.view = &view_;
    status_bar_ = std::make_unique<PlacedStatusBar>(shell_, holder_, owner_->hwnd());
    control_bar_ = std::make_unique<PlacedControlBar>(shell_, media_, owner_->hwnd());
    shell_.control_bar = control_bar_.get();
    CUiDriver::Pump();
    PaintClassroom(owner_->hwnd());
  }
  void TearDown() override {
    control_bar_.reset();
    status_bar_.reset();
    current_engine = nullptr;
    SkinTest::TearDown();
  }

  // A teacher's lesson started 20 minutes ago, as the main window arms it.
  void StartTeachersLesson(bool recording) {
    win::headless::SetUnixTime(kStart + 20 * 60);
    LessonRecord& lesson = holder_.lesson();
    lesson.user_type = "1";
    lesson.start_time = kStart;
    lesson.duration = 30 * 60;
    lesson.countdown = 5 * 60;
    lesson.forceclose = 10 * 60;
    status_bar_->Start();
    status_bar_->ShowRecording(recording);
    control_bar_->ResetForLesson(true);
    shell_.ShowControlBarIfHidden();
    Tick();
  }
  static void Tick() {
    win::headless::AdvanceClock(500);
    CUiDriver::Pump();
  }
  static void FirstTickAt(std::int64_t seconds) {
    win::headless::SetUnixTime(seconds);
    Tick();
  }
  HWND ControlBarWindow() const { return control_bar_->GetHWND(); }
  HWND StatusBarWindow() const { return status_bar_->GetHWND(); }

  ::testing::NiceMock<media_test::MockRtcEngine> engine_;
  CAGEngineEventHandler bridge_;
  MediaEngine media_{TestFactory, bridge_};
  DataHolder holder_;
  bars_test::RecordingShell shell_;
  MeetingView view_{shell_, holder_, media_, bridge_};  // its flags only: no window
  std::unique_ptr<PlacedStatusBar> status_bar_;
  std::unique_ptr<PlacedControlBar> control_bar_;
};

}  // namespace

TEST_P(BarsScreenshotTest, TheControlBarIsClearAtTheTopShadedBelowAndClearOverTheStatusBar) {
  StartTeachersLesson(false);
  const HWND bar = ControlBarWindow();
  EXPECT_LT(Alpha(bar, 20, 2), 8);       // the video shows through
  EXPECT_GT(Alpha(bar, 20, 118), 0x60);  // darker where the names are
  EXPECT_GT(Alpha(bar, 20, 118), Alpha(bar, 20, 60));
  for (int y = 124; y < 180; y += 11) EXPECT_EQ(Alpha(bar, 20, y), 0) << y;
  EXPECT_GT(Alpha(StatusBarWindow(), 20, 2), 0x60);  // the status bar's own shade
}

TEST_P(BarsScreenshotTest, LessonStartedWithTheMicrophoneOn) {
  StartTeachersLesson(false);
  EXPECT_TRUE(IsWindowVisible(ControlBarWindow()));
  EXPECT_EQ(CUiDriver::GetText(StatusBarWindow(), L"time_counter").str(), L"00:20:00");
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("bars")));
  control_bar_->ResetForLesson(false);  // a lesson without screen sharing
  EXPECT_FALSE(CUiDriver::IsVisible(ControlBarWindow(), L"share_screen"));
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("bars_without_sharing")));
}

TEST_P(BarsScreenshotTest, Muted) {
  StartTeachersLesson(false);
  ASSERT_TRUE(CUiDriver::Click(ControlBarWindow(), L"mute"));
  EXPECT_FALSE(view_.microphone_on);
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("bars_muted")));
}

TEST_P(BarsScreenshotTest, RedClockWithTheTeachersCountdownAndRecording) {
  StartTeachersLesson(true);
  FirstTickAt(kStart + 33 * 60 + 12);
  EXPECT_TRUE(CUiDriver::IsVisible(StatusBarWindow(), L"warn_info"));
  EXPECT_TRUE(CUiDriver::IsVisible(StatusBarWindow(), L"record_status"));
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("bars_red_countdown_recording")));
  ShowWindow(ControlBarWindow(), SW_HIDE);
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("status_bar_alone_red_countdown_recording")));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, BarsScreenshotTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
