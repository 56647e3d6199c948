// The main window's own windows on both real skins: the 3-second notice, the bars glued to its
// rectangle, entering and leaving the classroom with the lesson's times, the windows reused
// from lesson to lesson, the messages it passes on, and screenshots.
#include "app/main_window.h"

#include <win/headless.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "base/app_messages.h"
#include "widgets/float_tip_wnd.h"
#include "app/main_window_notice.h"
#include "widgets/msg_box.h"
#include "classroom/alarm_bar.h"
#include "classroom/control_bar.h"
#include "classroom/meeting_view.h"
#include "classroom/status_bar.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/quit_message.h"
#include "views/login_view.h"

using main_window_test::MainWindowTest;
using ui::CUiDriver;

namespace {

// Centred to the pixel: an odd difference of sizes leaves half a pixel either way.
bool CentredAt(const RECT& rect, int x, int y) {
  return std::abs((rect.left + rect.right) / 2 - x) <= 1 &&
         std::abs((rect.top + rect.bottom) / 2 - y) <= 1;
}

bool SameRect(const RECT& rect, int x, int y, int width, int height) {
  return rect.left == x && rect.top == y && rect.right - rect.left == width &&
         rect.bottom - rect.top == height;
}

class ShellWindowsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    holder_.last_message = "Lesson code not found";
    OpenMainWindow();
    StartEngine();
  }
  void LockLoginView() {
    ASSERT_TRUE(CUiDriver::PressKey(LoginView(), L"class_code", 'A', ui::kModControl));
    ASSERT_TRUE(CUiDriver::PressKey(LoginView(), L"class_code", VK_DELETE));
    ASSERT_TRUE(CUiDriver::Type(LoginView(), L"class_code", L"204816"));
    ASSERT_TRUE(CUiDriver::Click(LoginView(), L"join_class"));
    ASSERT_FALSE(CUiDriver::IsEnabled(LoginView(), L"class_code"));
  }
  bool NoticeShown() const { return NoticeWindow() != nullptr && Visible(NoticeWindow()); }
  HWND ControlBar() { return main().control_bar().GetHWND(); }
  HWND StatusBar() { return main().status_bar().GetHWND(); }
  HWND AlarmBar() { return main().alarm_bar().GetHWND(); }
};

using NoticeTest = ShellWindowsTest;

TEST_P(NoticeTest, ANoticeIsCentredOnTheWindowAndEndsAfterThreeSecondsGivingTheLoginViewBack) {
  LockLoginView();
  Post(UM_LOGIN_RESULT, 0, 0);
  ASSERT_TRUE(NoticeShown());
  const RECT main_rect = Rect(hwnd());
  EXPECT_TRUE(CentredAt(Rect(NoticeWindow()), (main_rect.left + main_rect.right) / 2,
                        (main_rect.top + main_rect.bottom) / 2));
  Advance(2999);
  EXPECT_TRUE(NoticeShown());
  EXPECT_FALSE(CUiDriver::IsEnabled(LoginView(), L"class_code"));
  Advance(1);
  EXPECT_FALSE(NoticeShown());
  EXPECT_TRUE(CUiDriver::IsEnabled(LoginView(), L"class_code"));
  EXPECT_TRUE(CUiDriver::IsEnabled(LoginView(), L"join_class"));
  EXPECT_TRUE(CUiDriver::IsEnabled(LoginView(), L"camera_device"));
}

TEST_P(NoticeTest, ASecondNoticeWithinThreeSecondsRestartsTheTimerAndReusesTheWindow) {
  Post(UM_LOGIN_RESULT, 0, 0);
  const HWND first = NoticeWindow();
  Advance(2000);
  holder_.last_message = "Lesson is over";
  Post(UM_LOGIN_RESULT, 1, 0);
  EXPECT_EQ(NoticeWindow(), first);
  EXPECT_EQ(NoticeText(), L"Lesson is over");
  Advance(2999);
  EXPECT_TRUE(NoticeShown());
  Advance(1);
  EXPECT_FALSE(NoticeShown());
}

TEST_P(NoticeTest, ANoticeWhoseWindowWentIsBuiltAgain) {
  Post(UM_LOGIN_RESULT, 0, 0);
  DestroyWindow(NoticeWindow());
  Post(UM_LOGIN_RESULT, 0, 0);
  ASSERT_TRUE(NoticeShown());
  EXPECT_EQ(NoticeText(), L"Lesson code not found");
  EXPECT_EQ(GetWindow(NoticeWindow(), GW_OWNER), hwnd());
}

using BarsTest = ShellWindowsTest;

TEST_P(BarsTest, AMoveOutsideALessonPlacesEveryBarHidden) {
  MoveWindow(hwnd(), 100, 50, 1080, 675, TRUE);
  CUiDriver::Pump();
  EXPECT_TRUE(SameRect(Rect(ControlBar()), 105, 540, 1070, 180));
  EXPECT_TRUE(SameRect(Rect(StatusBar()), 105, 664, 1070, 56));
  EXPECT_TRUE(SameRect(Rect(AlarmBar()), 105, 50 + (675 - 31) / 2 - 56, 1070, 174));
  EXPECT_FALSE(Visible(ControlBar()));
  EXPECT_FALSE(Visible(StatusBar()));
  EXPECT_FALSE(Visible(AlarmBar()));
  for (HWND bar : {ControlBar(), StatusBar(), AlarmBar()})
    EXPECT_EQ(GetWindow(bar, GW_OWNER), hwnd());
}

TEST_P(BarsTest, AMoveInALessonShowsTheLessonBarsWhereTheWindowNowIs) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  ASSERT_TRUE(main().in_classroom());
  EXPECT_FALSE(Visible(ControlBar()));  // placed hidden when the classroom opens
  MoveWindow(hwnd(), 200, 100, 1080, 675, TRUE);
  CUiDriver::Pump();
  EXPECT_TRUE(SameRect(Rect(ControlBar()), 205, 590, 1070, 180));
  EXPECT_TRUE(SameRect(Rect(StatusBar()), 205, 714, 1070, 56));
  EXPECT_TRUE(Visible(ControlBar()));
  EXPECT_TRUE(Visible(StatusBar()));
}

TEST_P(BarsTest, AResizeInALessonPlacesTheBarsAndTheViewsAndCentresTheNotice) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  main().ShowNotice(hwnd(), L"Network unstable");
  MoveWindow(hwnd(), 0, 0, 1280, 800, TRUE);
  CUiDriver::Pump();
  EXPECT_TRUE(SameRect(Rect(ControlBar()), 5, 615, 1270, 180));
  EXPECT_TRUE(SameRect(Rect(StatusBar()), 5, 739, 1270, 56));
  EXPECT_TRUE(Visible(ControlBar()));
  EXPECT_TRUE(SameRect(Rect(MeetingView()), 0, 32, 1280, 768));
  EXPECT_TRUE(SameRect(Rect(LoginView()), 0, 32, 1280, 768));
  EXPECT_TRUE(CentredAt(Rect(NoticeWindow()), 640, 400));
}

TEST_P(BarsTest, AResizeOutsideALessonKeepsBothLessonBarsHidden) {
  MoveWindow(hwnd(), 0, 0, 1280, 800, TRUE);
  CUiDriver::Pump();
  EXPECT_TRUE(SameRect(Rect(ControlBar()), 5, 615, 1270, 180));
  EXPECT_FALSE(Visible(ControlBar()));
  EXPECT_FALSE(Visible(StatusBar()));
}

TEST_P(BarsTest, TheControlBarComesBackOnlyWhenHidden) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  ASSERT_FALSE(Visible(ControlBar()));
  main().ShowControlBarIfHidden();
  EXPECT_TRUE(Visible(ControlBar()));
  main().ShowControlBarIfHidden();
  EXPECT_TRUE(Visible(ControlBar()));
}

TEST_P(BarsTest, TheClassroomSeesWhetherTheAlarmBarIsUp) {
  EXPECT_FALSE(main().alarm_bar_visible());  // not built yet
  main().PlaceAlarmBar(true);
  EXPECT_TRUE(main().alarm_bar_visible());
  main().PlaceAlarmBar(false);
  EXPECT_FALSE(main().alarm_bar_visible());
}

using ClassroomTest = ShellWindowsTest;

TEST_P(ClassroomTest, LeavingAndEnteringAgainReusesEveryWindow) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  main().ShowNotice(hwnd(), L"Network unstable");
  const HWND windows[] = {LoginView(),   MeetingView(), ControlBar(),
                          StatusBar(),   AlarmBar(),    main().float_tip().GetHWND(),
                          NoticeWindow()};
  ::LoginView* const login = main().login_view();
  ::MeetingView* const meeting = main().meeting_view();
  main().LeaveClassroom();
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(LoginView()));
  EXPECT_FALSE(Visible(MeetingView()));
  EXPECT_FALSE(Visible(ControlBar()));
  EXPECT_FALSE(Visible(StatusBar()));
  EXPECT_FALSE(Visible(AlarmBar()));
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  EXPECT_TRUE(main().in_classroom());
  const HWND again[] = {LoginView(),   MeetingView(), ControlBar(),
                        StatusBar(),   AlarmBar(),    main().float_tip().GetHWND(),
                        NoticeWindow()};
  for (std::size_t i = 0; i < std::size(windows); ++i) EXPECT_EQ(again[i], windows[i]) << i;
  EXPECT_EQ(main().login_view(), login);
  EXPECT_EQ(main().meeting_view(), meeting);
}

TEST_P(ClassroomTest, EnteringShowsTheMeetingViewWithTheArmedStatusBarAndTheControlBarHidden) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  EXPECT_FALSE(Visible(LoginView()));
  EXPECT_TRUE(Visible(MeetingView()));
  EXPECT_TRUE(main().meeting_view()->in_lesson());
  EXPECT_FALSE(Visible(ControlBar()));
  EXPECT_TRUE(Visible(StatusBar()));  // its start shows it
}

class LessonClockTest : public ShellWindowsTest {
 protected:
  // "Now" at a second of the lesson, then one tick of the status bar's clock.
  void At(std::int64_t seconds_after_start) {
    win::headless::SetUnixTime(holder_.lesson().start_time + seconds_after_start);
    Advance(500);
  }
  bool Red() {
    return CUiDriver::GetAttribute(StatusBar(), L"time_counter", L"textcolor").str() != kWhite;
  }
  bool Countdown() { return CUiDriver::IsVisible(StatusBar(), L"warn_info"); }

  static constexpr const wchar_t* kWhite = L"#ffffffff";
};

// Lesson of 1800 s, closing countdown 300 s, forced close 120 s after the end.
TEST_P(LessonClockTest,
       ATeachersClockTurnsRedAtTheCountdownShowsTheMinutesAtTheEndAndClosesAfterTheMargin) {
  holder_.lesson().user_type = "1";
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  At(1500);
  EXPECT_FALSE(Red());
  At(1501);
  EXPECT_TRUE(Red());
  EXPECT_FALSE(Countdown());
  At(1801);
  EXPECT_TRUE(Countdown());
  At(1920);
  EXPECT_TRUE(main().in_classroom());
  At(1921);
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(LoginView()));
}

TEST_P(LessonClockTest, AStudentsClockHasOneTimeForRedCountdownAndClosing) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  At(1801);
  EXPECT_FALSE(Red());
  At(1920);
  EXPECT_FALSE(Red());
  EXPECT_TRUE(main().in_classroom());
  At(1921);
  EXPECT_FALSE(main().in_classroom());
  EXPECT_FALSE(Countdown());
}

TEST_P(LessonClockTest, LeavingStopsTheClock) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  At(100);
  const std::wstring shown = CUiDriver::GetText(StatusBar(), L"time_counter").str();
  EXPECT_FALSE(shown.empty());
  main().LeaveClassroom();
  At(200);
  EXPECT_EQ(CUiDriver::GetText(StatusBar(), L"time_counter").str(), shown);
  At(1921);
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(LoginView()));
}

TEST_P(LessonClockTest, EachLessonSetsTheShareButtonAndTheRecordingIndicatorOfItsOwn) {
  holder_.lesson().screen_sharing = true;
  holder_.lesson().recording = true;
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  At(10);
  EXPECT_TRUE(CUiDriver::FindControl(ControlBar(), L"share_screen")->IsVisible());
  EXPECT_TRUE(CUiDriver::FindControl(StatusBar(), L"record_status")->IsVisible());
  main().LeaveClassroom();
  holder_.lesson().screen_sharing = false;
  holder_.lesson().recording = false;
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  At(20);
  EXPECT_FALSE(CUiDriver::FindControl(ControlBar(), L"share_screen")->IsVisible());
  EXPECT_FALSE(CUiDriver::FindControl(StatusBar(), L"record_status")->IsVisible());
}

// A termination signal's request: the lesson is left unasked, the program ends once the
// leave is reported or after the bound, and at once outside a lesson.
class EndRequestTest : public ShellWindowsTest {
 protected:
  void EndInALesson(bool leave_reported, int waited_ms) {
    PassLogin();
    SendSamples({1, 1, 1, 1, 1});
    ASSERT_TRUE(main().in_classroom());
    Post(UM_END_REQUESTED);
    EXPECT_FALSE(main().in_classroom());
    EXPECT_FALSE(Seen().opened);
    int code = -1;
    EXPECT_FALSE(testing_support::TakeQuit(&code));
    // The meeting view is the target of the bridge the main window was handed.
    if (leave_reported) engine_.bridge().onLeaveChannel(rtc::RtcStats{});
    Advance(waited_ms);
    EXPECT_TRUE(testing_support::TakeQuit(&code));
    EXPECT_EQ(code, 0);
  }
};

TEST_P(EndRequestTest, InALessonEndsOnceTheLeaveIsReported) { EndInALesson(true, 0); }

TEST_P(EndRequestTest, InALessonWhoseLeaveNeverComesEndsAfterTheBound) {
  EndInALesson(false, 2000);
}

TEST_P(EndRequestTest, OutsideALessonEndsAtOnce) {
  StartEngine();
  Post(UM_END_REQUESTED);
  int code = -1;
  EXPECT_TRUE(testing_support::TakeQuit(&code));
}

TEST_P(ClassroomTest, TheHotkeySwitchesBetweenTwoCamerasOnlyDuringALesson) {
  Post(UM_HOTKEY_CHANGED, 4, 'S');  // Alt + S
  engine_.camera_count = 2;
  engine_.selected_cameras.clear();
  win::headless::PressKey('S', MOD_ALT);
  win::headless::ReleaseKey('S', MOD_ALT);
  CUiDriver::Pump();
  EXPECT_TRUE(engine_.selected_cameras.empty());
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  engine_.selected_cameras.clear();
  main().meeting_view()->sharing_on = true;
  win::headless::PressKey('S', MOD_ALT);
  win::headless::ReleaseKey('S', MOD_ALT);
  CUiDriver::Pump();
  EXPECT_EQ(engine_.selected_cameras, std::vector<std::string>{"cam-b"});
  // The camera replaced the shared screen, so the share button offers to start again.
  EXPECT_FALSE(main().meeting_view()->sharing_on);
}

TEST_P(ClassroomTest, TheCameraRestartReachesTheMeetingView) {
  main().meeting_view()->sharing_on = true;
  Post(UM_CAMERA_RESTARTED);
  EXPECT_FALSE(main().meeting_view()->sharing_on);
}

TEST_P(ClassroomTest, ANewHotkeyFromTheSettingsIsRegisteredOnTheMainWindow) {
  Post(UM_HOTKEY_CHANGED, 4, 'K');  // Alt + K in the hotkey control's form
  EXPECT_FALSE(RegisterHotKey(LoginView(), 1, MOD_ALT, 'K'));
  Post(UM_HOTKEY_CHANGED, 2, 'J');  // Ctrl + J replaces it
  EXPECT_TRUE(RegisterHotKey(LoginView(), 1, MOD_ALT, 'K'));
  EXPECT_FALSE(RegisterHotKey(LoginView(), 2, MOD_CONTROL, 'J'));
  UnregisterHotKey(LoginView(), 1);
}

TEST_P(ClassroomTest, ARefusedHotkeyFromTheSettingsShowsTheBoxAndKeepsTheOldOne) {
  Post(UM_HOTKEY_CHANGED, 4, 'K');
  win::headless::TakeHotKeyElsewhere(MOD_CONTROL | MOD_NOREPEAT, 'J');
  AnswerNextBox(L"ok_btn");
  Post(UM_HOTKEY_CHANGED, 2, 'J');
  EXPECT_TRUE(Seen().opened);
  EXPECT_FALSE(RegisterHotKey(LoginView(), 1, MOD_ALT, 'K'));  // still the camera's
}

TEST_P(ClassroomTest, TheHotkeyIsGoneWithTheWindow) {
  Post(UM_HOTKEY_CHANGED, 4, 'K');
  DestroyWindow(hwnd());
  CUiDriver::Pump();
  ui_test::LayoutWindow probe(L"float_tip_wnd.xml", L"QvHotkeyProbe");
  probe.Open(nullptr, WS_POPUP);
  EXPECT_TRUE(RegisterHotKey(probe.GetHWND(), 1, MOD_ALT, 'K'));
  DestroyWindow(probe.GetHWND());
}

TEST_P(ClassroomTest, ScreenshotsOfTheLoginViewAndTheClassroom) {
  std::filesystem::create_directories(QUORVEL_SCREENSHOT_DIR);
  EXPECT_TRUE(
      CUiDriver::SaveScreenshot(hwnd(), shell_test::ScreenshotPath(ShotName("main_window_login"))));
  PassLogin();
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("main_window_network_test")));
  SendSamples({1, 1, 1, 1, 1});
  MoveWindow(hwnd(), 420, 182, 1080, 675, TRUE);
  Advance(1000);  // the bars' first ticks
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("main_window_classroom")));
}

TEST_P(ClassroomTest, ScreenshotsOfEveryMessageBoxOverTheMainWindow) {
  struct Use {
    const char* name;
    SIZE size;
  };
  const Use uses[] = {
      {"exit_meeting_confirm_dlg", {360, 220}}, {"err_camera", {360, 220}},
      {"app_update_confirm_dlg", {600, 400}},   {"hotkey_register_failed_dlg", {360, 220}},
      {"screen_share_confirm_dlg", {360, 220}}, {"cancel_screen_share_confirm_dlg", {360, 220}}};
  for (const Use& use : uses) {
    const std::string layout = std::string(use.name) + ".xml";
    auto* box = new MsgBox(std::wstring(layout.begin(), layout.end()));  // deletes itself
    box->Create(hwnd(), L"QV-MsgBox", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, use.size.cx,
                use.size.cy);
    box->CenterWindow();
    if (use.size.cx == 600) {
      box->message()->SetText(Chinese() ? L"Quorvel 1.2.0 已发布：视频更清晰，课堂时钟更稳定。"
                                        : L"Quorvel 1.2.0 is out: clearer video tiles and a "
                                          L"steadier lesson clock.");
    }
    EXPECT_TRUE(shell_test::SaveScreen(ShotName(std::string("box_over_main_") + use.name)));
    EXPECT_TRUE(CUiDriver::SaveScreenshot(
        box->GetHWND(), shell_test::ScreenshotPath(ShotName(std::string("box_") + use.name))));
    DestroyWindow(box->GetHWND());
    CUiDriver::Pump();
  }
}

INSTANTIATE_TEST_SUITE_P(BothSkins, NoticeTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, BarsTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, LessonClockTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, ClassroomTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, EndRequestTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
