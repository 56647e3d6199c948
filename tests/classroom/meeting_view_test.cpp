// The meeting view itself: its slots, tile clicks, layouts, mouse moves, enter and leave.
#include <ui/ui_test_driver.h>
#include <win/headless.h>

#include <filesystem>

#include "base/app_messages.h"
#include "classroom/window_fill.h"
#include "tests/classroom/meeting_view_fixture.h"

namespace meeting_test {
namespace {

using ::testing::_;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::StrEq;

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
::testing::AssertionResult IsRect(const RECT& rect, int x, int y, int width, int height) {
  if (Same(rect, RECT{x, y, x + width, y + height})) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << rect.left << ", " << rect.top << ") " << rect.right - rect.left << " x "
         << rect.bottom - rect.top << " instead of (" << x << ", " << y << ") " << width << " x "
         << height;
}

void PostClick(HWND view, int x, int y) {
  PostMessageW(view, UM_TILE_CLICKED, 0, MAKELPARAM(x, y));
  ui::CUiDriver::Pump();
}

TEST_P(MockedMeetingViewTest, TheSlotsAreTheStudentsWhateverRoleLogsInLater) {
  LogIn(Role::Teacher);
  meeting().Enter();
  EXPECT_EQ(meeting().slot_main(), meeting().teacher_tile());
  EXPECT_EQ(meeting().slot_upper(), meeting().assistant_tile());
  EXPECT_EQ(meeting().slot_lower(), meeting().student_tile());
}

TEST_P(MockedMeetingViewTest, PictureInPictureWithEverybodyInPlacesTheThreeTiles) {
  EverybodyIn();
  // Teacher's client, start-up slots: main teacher (own, 320 x 240), upper assistant
  // (640 x 360), lower student (640 x 480).
  EXPECT_TRUE(IsRect(PlaceOf(meeting().teacher_tile()), 160, 0, 960, 720));
  EXPECT_TRUE(IsRect(PlaceOf(meeting().assistant_tile()), 1040, 0, 240, 135));
  EXPECT_TRUE(IsRect(PlaceOf(meeting().student_tile()), 1040, 135, 240, 180));
  for (const CanvasView* tile :
       {meeting().teacher_tile(), meeting().assistant_tile(), meeting().student_tile()}) {
    EXPECT_TRUE(Shown(tile));
    EXPECT_FALSE(BadgeShown(tile));
  }
}

TEST_P(MockedMeetingViewTest, TheSmallTilesLieAboveTheMainTileWhereTheyOverlap) {
  EverybodyIn();
  // A 4:3 main video is 960 wide and reaches under the small column from x 1040 to 1120.
  CanvasView* main = meeting().slot_main();
  CanvasView* lower = meeting().slot_lower();
  FillClientArea(main->GetHWND(), RGB(0, 0, 255));
  FillClientArea(lower->GetHWND(), RGB(255, 255, 255));
  EXPECT_EQ(win::headless::WindowPixel(view(), 1060, 250) & 0xFFFFFF, 0xFFFFFFu);
  // Still so once a click has made the small tile the main one and the main one small.
  PostClick(view(), 1050, 145);
  FillClientArea(lower->GetHWND(), RGB(0, 0, 255));
  FillClientArea(main->GetHWND(), RGB(255, 255, 255));
  EXPECT_EQ(win::headless::WindowPixel(view(), 1060, 250) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_P(MockedMeetingViewTest, AClickOnTheLowerSmallTileMakesItTheMainTile) {
  EverybodyIn();
  CanvasView* lower = meeting().slot_lower();
  CanvasView* main = meeting().slot_main();
  POINT inside{10, 10};
  ClientToScreen(lower->GetHWND(), &inside);
  win::headless::Click(win::headless::Button::Left, inside.x, inside.y);
  ui::CUiDriver::Pump();

  EXPECT_EQ(meeting().slot_main(), lower);
  EXPECT_EQ(meeting().slot_lower(), main);
  // Relaid out: the student's 640 x 480 fills the view, the teacher's is small below the
  // assistant's.
  EXPECT_TRUE(IsRect(PlaceOf(lower), 160, 0, 960, 720));
  EXPECT_TRUE(IsRect(PlaceOf(main), 1040, 135, 240, 180));
}

TEST_P(MockedMeetingViewTest, AClickOnTheUpperSmallTileSwapsItWithTheMain) {
  EverybodyIn();
  CanvasView* upper = meeting().slot_upper();
  CanvasView* main = meeting().slot_main();
  PostClick(view(), 1100, 50);
  EXPECT_EQ(meeting().slot_main(), upper);
  EXPECT_EQ(meeting().slot_upper(), main);
}

TEST_P(MockedMeetingViewTest, TheSmallTilesEdgesCountAsTheirs) {
  EverybodyIn();
  CanvasView* lower = meeting().slot_lower();
  // The lower tile is (1040, 135) to (1280, 315); its right and bottom edges are taken too,
  // and (1040, 135) lies on the upper tile's bottom edge, which is looked at first.
  PostClick(view(), 1280, 315);
  EXPECT_EQ(meeting().slot_main(), lower);
}

TEST_P(MockedMeetingViewTest, AClickOnTheMainTileChangesNothing) {
  EverybodyIn();
  CanvasView* main = meeting().slot_main();
  const RECT before = PlaceOf(main);
  PostClick(view(), 600, 400);
  EXPECT_EQ(meeting().slot_main(), main);
  EXPECT_TRUE(Same(PlaceOf(main), before));
}

TEST_P(MockedMeetingViewTest, TheSameClickSideBySideDoesNothing) {
  EverybodyIn();
  meeting().ChangeLayout();
  ASSERT_EQ(meeting().layout_mode(), MeetingView::LayoutMode::SideBySide);
  CanvasView* main = meeting().slot_main();
  CanvasView* lower = meeting().slot_lower();
  const RECT student = PlaceOf(meeting().student_tile());
  PostClick(view(), 1050, 145);
  EXPECT_EQ(meeting().slot_main(), main);
  EXPECT_EQ(meeting().slot_lower(), lower);
  EXPECT_TRUE(Same(PlaceOf(meeting().student_tile()), student));
}

TEST_P(MockedMeetingViewTest, SideBySideForATeacherPutsTheStudentLeftAndTheOthersInAColumn) {
  EverybodyIn();
  meeting().ChangeLayout();
  // Counterpart the student (640 x 480), the assistant (640 x 360) above the own tile
  // (320 x 240): 360 + 480 = 840 high at half width, scaled to 720.
  const RECT student = PlaceOf(meeting().student_tile());
  const RECT assistant = PlaceOf(meeting().assistant_tile());
  const RECT teacher = PlaceOf(meeting().teacher_tile());
  EXPECT_EQ(assistant.top, 0);
  EXPECT_EQ(assistant.bottom, teacher.top);
  EXPECT_EQ(teacher.bottom, 720);
  EXPECT_EQ(assistant.right, 1280);
  EXPECT_EQ(teacher.right, 1280);
  EXPECT_EQ(student.left, 0);
  EXPECT_EQ(student.right, assistant.left);
  meeting().ChangeLayout();
  EXPECT_EQ(meeting().layout_mode(), MeetingView::LayoutMode::PictureInPicture);
  EXPECT_TRUE(IsRect(PlaceOf(meeting().teacher_tile()), 160, 0, 960, 720));
}

TEST_P(MockedMeetingViewTest, AResizeLaysTheTilesOutAgain) {
  EverybodyIn();
  MoveWindow(view(), 0, 40, 960, 540, TRUE);
  ui::CUiDriver::Pump();
  EXPECT_TRUE(IsRect(PlaceOf(meeting().teacher_tile()), 120, 0, 720, 540));
  EXPECT_TRUE(IsRect(PlaceOf(meeting().assistant_tile()), 720, 0, 240, 135));
}

TEST_P(MockedMeetingViewTest, MouseMovesInsideShowTheControlBarOncePerNewPosition) {
  POINT inside{300, 200};
  ClientToScreen(view(), &inside);
  win::headless::MoveCursor(inside.x, inside.y);
  ui::CUiDriver::Pump();
  EXPECT_EQ(shell_.control_bar_shows, 1);
  // The same position again, as a tile forwarding its own move, is no news.
  PostMessageW(view(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
  ui::CUiDriver::Pump();
  EXPECT_EQ(shell_.control_bar_shows, 1);
  win::headless::MoveCursor(inside.x + 1, inside.y);
  ui::CUiDriver::Pump();
  EXPECT_EQ(shell_.control_bar_shows, 2);
}

TEST_P(MockedMeetingViewTest, AMoveOnTheViewsEdgeShowsNoControlBar) {
  POINT edge{0, 200};
  ClientToScreen(view(), &edge);
  SetCursorPos(edge.x, edge.y);
  PostMessageW(view(), WM_MOUSEMOVE, 0, MAKELPARAM(0, 200));
  ui::CUiDriver::Pump();
  EXPECT_EQ(shell_.control_bar_shows, 0);
}

TEST_P(MockedMeetingViewTest, AnAbsentMainTileHidesItsBadgeWhileTheAlarmBarCountsDown) {
  LogIn(Role::Student);
  meeting().Enter();
  EXPECT_TRUE(BadgeShown(meeting().slot_main()));
  shell_.alarm_bar_shown = true;  // as the main window shows it before the start
  MoveWindow(view(), 0, 40, 1280, 719, TRUE);
  ui::CUiDriver::Pump();
  EXPECT_FALSE(BadgeShown(meeting().slot_main()));
  EXPECT_TRUE(BadgeShown(meeting().slot_lower()));
  shell_.alarm_bar_shown = false;
  MoveWindow(view(), 0, 40, 1280, 720, TRUE);
  ui::CUiDriver::Pump();
  EXPECT_TRUE(BadgeShown(meeting().slot_main()));
}

TEST_P(MockedMeetingViewTest, TheCameraRestartEndsSharing) {
  meeting().sharing_on = true;
  PostMessageW(view(), UM_CAMERA_RESTARTED, 0, 0);
  ui::CUiDriver::Pump();
  EXPECT_FALSE(meeting().sharing_on);
}

TEST_P(MockedMeetingViewTest, EnterStartsTheMediaSideInOrder) {
  LogIn(Role::Student);
  holder_.lesson().video_profile = 30;
  {
    InSequence order;
    EXPECT_CALL(mocked_.parameter, setString(StrEq("che.video.localViewMirrorSetting"), _));
    EXPECT_CALL(mocked_.engine, setVideoProfile(30, false));
    EXPECT_CALL(mocked_.engine, enableVideo());
    EXPECT_CALL(mocked_.engine, enableAudio());
    EXPECT_CALL(mocked_.engine, joinChannel(StrEq(holder_.lesson().channel_key),
                                            StrEq(holder_.lesson().channel_name), _,
                                            static_cast<rtc::uid_t>(OwnUid())));
  }
  meeting().sharing_on = true;
  meeting().microphone_on = false;
  meeting().Enter();
  EXPECT_TRUE(meeting().in_lesson());
  EXPECT_FALSE(meeting().sharing_on);
  EXPECT_TRUE(meeting().microphone_on);
  EXPECT_EQ(bridge_.TargetWindow(), view());
  EXPECT_EQ(shell_.tip_hides, 1);
}

TEST_P(MockedMeetingViewTest, LeaveStopsThePreviewBeforeLeavingAndHidesTheBars) {
  LogIn(Role::Student);
  meeting().Enter();
  {
    InSequence order;
    EXPECT_CALL(mocked_.engine, stopPreview());
    EXPECT_CALL(mocked_.engine, leaveChannel());
  }
  meeting().Leave();
  EXPECT_FALSE(meeting().in_lesson());
  EXPECT_EQ(shell_.lesson_bar_hides, 1);
  EXPECT_FALSE(shell_.tip_visible);
}

TEST_P(MockedMeetingViewTest, TwoLessonsReuseTheTilesAndKeepASwap) {
  EverybodyIn();
  const HWND tiles[] = {meeting().student_tile()->GetHWND(), meeting().teacher_tile()->GetHWND(),
                        meeting().assistant_tile()->GetHWND()};
  PostClick(view(), 1050, 145);
  CanvasView* swapped_main = meeting().slot_main();
  meeting().Leave();
  for (const CanvasView* tile :
       {meeting().student_tile(), meeting().teacher_tile(), meeting().assistant_tile()}) {
    EXPECT_FALSE(tile->present);
    EXPECT_TRUE(BadgeShown(tile));
  }
  meeting().Enter();
  for (const CanvasView* tile :
       {meeting().student_tile(), meeting().teacher_tile(), meeting().assistant_tile()}) {
    EXPECT_FALSE(tile->present);
  }
  meeting().Leave();
  meeting().Enter();
  EXPECT_EQ(meeting().student_tile()->GetHWND(), tiles[0]);
  EXPECT_EQ(meeting().teacher_tile()->GetHWND(), tiles[1]);
  EXPECT_EQ(meeting().assistant_tile()->GetHWND(), tiles[2]);
  EXPECT_EQ(meeting().slot_main(), swapped_main);
  EXPECT_TRUE(meeting().in_lesson());
  EXPECT_EQ(shell_.lesson_bar_hides, 2);
}

TEST_P(MockedMeetingViewTest, TheLayoutModeOutlivesALesson) {
  EverybodyIn();
  meeting().ChangeLayout();
  meeting().Leave();
  meeting().Enter();
  EXPECT_EQ(meeting().layout_mode(), MeetingView::LayoutMode::SideBySide);
}

TEST_P(MockedMeetingViewTest, TheSettingsDialogRunsModallyOverTheView) {
  const std::filesystem::path saved = profile_.settings_file();
  std::filesystem::remove(saved);
  ui::CUiDriver::AnswerNextModal(L"cancel_btn");
  meeting().OpenSettings();
  // Closed by its cancel button, which saves the settings as every close does.
  EXPECT_TRUE(std::filesystem::exists(saved));
  EXPECT_TRUE(IsWindowEnabled(view()));
  ui::CUiDriver::Pump();
  EXPECT_EQ(ui::CUiDriver::FindWindowByClass(L"SettingView"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, MockedMeetingViewTest,
                         ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
}  // namespace meeting_test
