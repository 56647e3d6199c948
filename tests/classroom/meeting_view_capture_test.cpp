// The screen region the classroom shares: the monitor under the mouse, else the desktop.
#include "classroom/meeting_view_capture.h"

#include <gtest/gtest.h>
#include <win/headless.h>

#include "tests/classroom/meeting_view_fixture.h"

namespace meeting_test {
namespace {

using ::testing::_;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::Pointee;

const std::vector<DisplayMonitor> kTwoMonitors = {{0, RECT{0, 0, 1920, 1080}},
                                                  {1, RECT{1920, 0, 3200, 1024}}};

TEST(MonitorHolding, TakesTheMonitorThePointLiesIn) {
  EXPECT_EQ(MonitorHolding(POINT{100, 100}, kTwoMonitors), 0u);
  EXPECT_EQ(MonitorHolding(POINT{2000, 100}, kTwoMonitors), 1u);
}

TEST(MonitorHolding, RightAndBottomEdgesBelongToTheNextMonitorOrToNone) {
  EXPECT_EQ(MonitorHolding(POINT{1920, 0}, kTwoMonitors), 1u);
  EXPECT_EQ(MonitorHolding(POINT{1919, 1079}, kTwoMonitors), 0u);
  EXPECT_FALSE(MonitorHolding(POINT{100, 1080}, kTwoMonitors));
  EXPECT_FALSE(MonitorHolding(POINT{3200, 10}, kTwoMonitors));
}

TEST(MonitorHolding, NoMonitorsHoldNothing) { EXPECT_FALSE(MonitorHolding(POINT{0, 0}, {})); }

// Two headless monitors side by side, the second one at x 1920.
class TwoMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    win::headless::ResetMonitors();
    win::headless::AddMonitor({RECT{1920, 0, 3200, 1024}, RECT{1920, 0, 3200, 984}});
  }
  void TearDown() override { win::headless::ResetMonitors(); }
};

TEST_F(TwoMonitors, TheDisplayDevicesGiveBothMonitors) {
  const auto monitors = ReadDisplayMonitors();
  ASSERT_EQ(monitors.size(), 2u);
  EXPECT_EQ(monitors[1].index, 1u);
  EXPECT_EQ(monitors[1].rect.left, 1920);
  EXPECT_EQ(monitors[1].rect.right, 3200);
  EXPECT_EQ(monitors[1].rect.bottom, 1024);
}

TEST_F(TwoMonitors, TheCursorOnTheSecondMonitorCapturesIt) {
  win::headless::MoveCursor(2500, 500);
  const RECT region = CaptureRegionUnderCursor();
  EXPECT_EQ(region.left, 1920);
  EXPECT_EQ(region.top, 0);
  EXPECT_EQ(region.right, 3200);
  EXPECT_EQ(region.bottom, 1024);
}

TEST_F(TwoMonitors, TheCursorOutsideEveryMonitorCapturesTheDesktop) {
  // Below the shorter second monitor, inside the desktop's bounding rectangle.
  win::headless::MoveCursor(2500, 1050);
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  const RECT region = CaptureRegionUnderCursor();
  EXPECT_EQ(region.left, desktop.left);
  EXPECT_EQ(region.top, desktop.top);
  EXPECT_EQ(region.right, desktop.right);
  EXPECT_EQ(region.bottom, desktop.bottom);
}

class SharingTest : public MockedMeetingViewTest {
 protected:
  void TearDown() override {
    MockedMeetingViewTest::TearDown();
    win::headless::ResetMonitors();
  }
};

TEST_P(SharingTest, SharingTakesTheMonitorUnderTheMouseAndStopsOnTheSecondToggle) {
  win::headless::AddMonitor({RECT{1920, 0, 3840, 1080}, RECT{1920, 0, 3840, 1040}});
  win::headless::MoveCursor(1920, 10);
  EXPECT_CALL(mocked_.engine,
              startScreenCapture(
                  _, _,
                  Pointee(AllOf(Field(&rtc::Rect::left, 1920), Field(&rtc::Rect::top, 0),
                                Field(&rtc::Rect::right, 3840), Field(&rtc::Rect::bottom, 1080))),
                  _));
  EXPECT_TRUE(meeting().ToggleScreenSharing());
  EXPECT_TRUE(meeting().sharing_on);
  EXPECT_CALL(mocked_.engine, stopScreenCapture());
  EXPECT_TRUE(meeting().ToggleScreenSharing());
  EXPECT_FALSE(meeting().sharing_on);
}

TEST_P(SharingTest, ARefusedCaptureShowsNoSharing) {
  EXPECT_CALL(mocked_.engine, startScreenCapture(_, _, _, _)).WillOnce(::testing::Return(-2));
  EXPECT_FALSE(meeting().ToggleScreenSharing());
  EXPECT_FALSE(meeting().sharing_on);
  EXPECT_FALSE(mocked_.media().screen_share_on);
}

TEST_P(SharingTest, LeavingTheLessonEndsTheShareAndTheNextStartsWithoutIt) {
  LogIn(Role::Teacher);
  meeting().Enter();
  ASSERT_TRUE(meeting().ToggleScreenSharing());
  EXPECT_CALL(mocked_.engine, stopScreenCapture());
  meeting().Leave();
  EXPECT_FALSE(meeting().sharing_on);
  EXPECT_FALSE(mocked_.media().screen_share_on);
  ::testing::Mock::VerifyAndClearExpectations(&mocked_.engine);
  EXPECT_CALL(mocked_.engine, startScreenCapture(_, _, _, _)).Times(0);
  meeting().Enter();
  EXPECT_FALSE(meeting().sharing_on);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SharingTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
}  // namespace meeting_test
