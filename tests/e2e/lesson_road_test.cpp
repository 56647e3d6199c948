// The whole road of a participant, for each role and both languages: start, configuration,
// engine start, the code, join, network test, the classroom with the other two joining, a
// network warning and its end, mute, layouts, screen sharing, the settings dialog, the camera
// hotkey, the alarm bar before the start, the teacher's countdown, the closing time, the login
// view again, and a second lesson in the same run on the very same windows.
#include <win/headless.h>

#include <algorithm>
#include <cwchar>
#include <ostream>
#include <string>

#include "widgets/float_tip_wnd.h"
#include "base/text_conversion.h"
#include "classroom/alarm_bar.h"
#include "classroom/control_bar.h"
#include "classroom/meeting_view.h"
#include "classroom/status_bar.h"
#include "media/engine_event_bridge.h"
#include "tests/e2e/lesson_world.h"
#include "views/login_view.h"

using ui::CUiDriver;

namespace e2e {
namespace {

struct RoadParam {
  Role role;
  Language language;
};

void PrintTo(const RoadParam& param, std::ostream* out) {
  *out << RoleName(param.role) << (param.language == Language::kChinese ? " cn" : " en");
}

std::string RoadName(const ::testing::TestParamInfo<RoadParam>& info) {
  return std::string(RoleName(info.param.role)) +
         (info.param.language == Language::kChinese ? "_cn" : "_en");
}

const char* AccessPath(Role role) {
  switch (role) {
    case Role::kTeacher:
      return "/Meeting/teacherAccess";
    case Role::kStudent:
      return "/Meeting/studentAccess";
    case Role::kAssistant:
      break;
  }
  return "/Meeting/assistantAccess";
}

const char* UserType(Role role) {
  switch (role) {
    case Role::kTeacher:
      return "1";
    case Role::kStudent:
      return "0";
    case Role::kAssistant:
      break;
  }
  return "2";
}

// The participant whose network falters during the lesson: the first other one.
Role WatchedRole(Role own) { return own == Role::kTeacher ? Role::kStudent : Role::kTeacher; }

std::wstring UnstableText(Role role, bool chinese) {
  if (chinese) return role == Role::kTeacher ? L"老师网络不稳定" : L"学生网络不稳定";
  return role == Role::kTeacher ? L"Teacher's network unstable" : L"Student's network unstable";
}

// A sentence of the layout with its one number filled in, as the bars format theirs.
std::wstring Filled(const std::wstring& format, long long number) {
  wchar_t text[256] = {};
  std::swprintf(text, 256, format.c_str(), number);
  return text;
}

// The engine time, after the local join, of the watched participant's bad and good reports.
constexpr int kBadQualityMs = 3000;
constexpr int kGoodQualityMs = 5000;

class LessonRoadTest : public LessonWorld, public ::testing::WithParamInterface<RoadParam> {
 protected:
  void SetUp() override {
    WorldSetup setup;
    setup.language = GetParam().language;
    const Role watched = WatchedRole(own());
    setup.scenario_extra = [watched](const CreatedLesson& first) {
      const std::string uid = std::to_string(first.lesson.UidOf(watched));
      return "\"network_quality\": [{\"at_ms\": " + std::to_string(kBadQualityMs) +
             ", \"uid\": " + uid +
             ", \"tx\": 1, \"rx\": 5}, {\"at_ms\": " + std::to_string(kGoodQualityMs) +
             ", \"uid\": " + uid + ", \"tx\": 2, \"rx\": 1}]";
    };
    Open(setup);
  }

  Role own() const { return GetParam().role; }
  std::string Shot(const std::string& what) const { return what + "_" + RoleName(own()); }

  HWND control_bar() { return main().control_bar().GetHWND(); }
  HWND status_bar() { return main().status_bar().GetHWND(); }
  HWND alarm_bar() { return main().alarm_bar().GetHWND(); }
  MeetingView& meeting() { return *main().meeting_view(); }
  CanvasView* TileOf(Role role) {
    switch (role) {
      case Role::kTeacher:
        return meeting().teacher_tile();
      case Role::kStudent:
        return meeting().student_tile();
      case Role::kAssistant:
        break;
    }
    return meeting().assistant_tile();
  }

  // From the code to the open classroom, checking each step on the way.
  void JoinLesson(const CreatedLesson& lesson) {
    JoinWithCode(CodeOf(lesson, own()));
    EXPECT_FALSE(CUiDriver::IsEnabled(login_hwnd(), L"class_code"));
    EXPECT_FALSE(CUiDriver::IsEnabled(login_hwnd(), L"join_class"));
    ASSERT_TRUE(WaitUntil([this] { return TipShown() || NoticeShown(); }, "the network test"));
    ASSERT_TRUE(TipShown()) << "notice instead: " << testing::PrintToString(NoticeText());
    EXPECT_EQ(TipText(), chinese() ? L"正在测试网络，请稍后..." : L"Network testing, please wait…");
    EXPECT_EQ(bridge_target(), main_hwnd());
    EXPECT_EQ(holder().lesson().user_type, UserType(own()));
    EXPECT_EQ(holder().lesson().meeting_id, lesson.lesson.meeting_id);
    EXPECT_EQ(holder().lesson().uid, lesson.lesson.UidOf(own()));

    ASSERT_TRUE(RunNetworkTest()) << testing::PrintToString(NoticeText());
    join_at_ = EngineNow();
    EXPECT_EQ(main().sample_count(), MainWindow::kSampleTotal);
    for (std::int32_t sample : main().lastmile_samples()) EXPECT_EQ(sample, 1);
    EXPECT_FALSE(Visible(login_hwnd()));
    EXPECT_TRUE(Visible(meeting_hwnd()));
    EXPECT_EQ(bridge_target(), meeting_hwnd());
    EXPECT_FALSE(TipShown());
    EXPECT_TRUE(meeting().in_lesson());
    // The login view has its controls back for the next time it shows.
    EXPECT_TRUE(CUiDriver::IsEnabled(login_hwnd(), L"class_code"));
    EXPECT_TRUE(Visible(status_bar()));
    EXPECT_FALSE(Visible(control_bar()));
    // Sharing and recording are allowed in these lessons.
    EXPECT_TRUE(CUiDriver::IsVisible(control_bar(), L"share_screen"));
    EXPECT_TRUE(CUiDriver::IsVisible(status_bar(), L"record_status"));

    const std::int32_t own_uid = lesson.lesson.UidOf(own());
    ASSERT_TRUE(WaitUntil([this] { return TileOf(own()) != nullptr && TileOf(own())->present; },
                          "the own tile after the own join"));
    EXPECT_TRUE(WaitUntil([&] { return HasReport(own_uid, "enter"); }, "the own enter report"));
    const std::vector<std::string> paths = RequestPaths();
    EXPECT_NE(std::find(paths.begin(), paths.end(), "/User/loginCode"), paths.end());
    EXPECT_NE(std::find(paths.begin(), paths.end(), AccessPath(own())), paths.end());
  }

  void ExpectOthersJoin(const CreatedLesson& lesson) {
    AdvanceEngineTo(join_at_ + kAssistantJoinMs + 200);
    for (Role role : kRoles) {
      if (role == own()) continue;
      const std::int32_t uid = lesson.lesson.UidOf(role);
      EXPECT_TRUE(WaitUntil([&] { return TileOf(role)->present; }, RoleName(role)));
      EXPECT_TRUE(Visible(TileOf(role)->GetHWND())) << RoleName(role);
      EXPECT_TRUE(WaitUntil([&] { return HasReport(uid, "enter"); }, "an enter report"));
    }
    ExpectVideoInOthersTiles();
  }

  // The engine draws frames on real time, not on the test's clock: this waits without moving it.
  void ExpectVideoInOthersTiles() {
    for (Role role : kRoles) {
      if (role == own()) continue;
      EXPECT_TRUE(WaitUntil([&] { return ShowsVideo(TileOf(role)->GetHWND()); }, "video in a tile"))
          << RoleName(role);
    }
  }

  // What the main window shows at the middle of its client area is the login view's picture,
  // not the classroom under it.
  bool LoginViewOnTop() {
    CUiDriver::Pump();
    RECT view{};
    GetWindowRect(login_hwnd(), &view);
    POINT centre{(view.left + view.right) / 2, (view.top + view.bottom) / 2};
    POINT in_view = centre;
    ScreenToClient(login_hwnd(), &in_view);
    POINT in_main = centre;
    ScreenToClient(main_hwnd(), &in_main);
    return win::headless::WindowPixel(main_hwnd(), in_main.x, in_main.y) ==
           win::headless::WindowPixel(login_hwnd(), in_view.x, in_view.y);
  }

  HWND bridge_target() { return CAGEngineEventHandler::Instance().TargetWindow(); }

  std::int64_t join_at_ = 0;
};

TEST_P(LessonRoadTest, TwoLessonsFromStartToTheLoginViewAgain) {
  const CreatedLesson& first = first_lesson();
  const std::int64_t start = first.lesson.start_time;

  // Start: the main window holds the login view; the configuration request is on its way.
  EXPECT_EQ(WindowOfClass(L"QUORVEL_MAIN"), main_hwnd());
  EXPECT_EQ(holder().main_window, main_hwnd());
  EXPECT_TRUE(Visible(login_hwnd()));
  EXPECT_TRUE(LoginViewOnTop());

  // Configuration, then the engine 500 ms later with the devices in the login view.
  WaitForEngineReady();
  const std::string app_id = store().Config().app_id;
  EXPECT_EQ(holder().settings().app_id, app_id);
  EXPECT_EQ(media().engine_app_id, AnsiToWide(app_id));
  EXPECT_TRUE(media().video_enabled);
  EXPECT_EQ(CameraItems(), 2);
  EXPECT_EQ(RequestPaths().front(), "/init/getPCConfig");
  Screenshot("login");

  // The code, the join, the network test and the classroom.
  ASSERT_NO_FATAL_FAILURE(JoinLesson(first));
  Screenshot(Shot("classroom_alone"));

  // The alarm bar counts the minutes to the start; the lesson clock waits for it.
  EXPECT_TRUE(Visible(alarm_bar()));
  const std::wstring alarm_format = Text(alarm_bar(), L"warn_info_format");
  AdvanceUntil([this] { return ControlVisible(alarm_bar(), L"warn_info"); },
               "the alarm's sentence");
  EXPECT_EQ(Text(alarm_bar(), L"warn_info"), Filled(alarm_format, (start - Now() + 59) / 60 % 60));
  EXPECT_FALSE(ControlVisible(status_bar(), L"time_counter"));

  // The other two join.
  ExpectOthersJoin(first);
  Screenshot(Shot("classroom_everyone"));

  // One of them reports a bad network, then a good one.
  AdvanceEngineTo(join_at_ + kBadQualityMs + 100);
  ASSERT_TRUE(WaitUntil([this] { return TipShown(); }, "the network warning"));
  EXPECT_EQ(TipText(), UnstableText(WatchedRole(own()), chinese()));
  Screenshot(Shot("network_warning"));
  AdvanceEngineTo(join_at_ + kGoodQualityMs + 100);
  EXPECT_TRUE(WaitUntil([this] { return !TipShown(); }, "the warning's end"));

  // Mute, twice.
  main().ShowControlBarIfHidden();
  ASSERT_TRUE(Visible(control_bar()));
  ASSERT_TRUE(CUiDriver::Click(control_bar(), L"mute"));
  EXPECT_FALSE(meeting().microphone_on);
  EXPECT_TRUE(media().microphone_muted);
  EXPECT_EQ(CUiDriver::GetAttribute(control_bar(), L"mute", L"normalimage").str(),
            L"unmute_button.png");
  ASSERT_TRUE(CUiDriver::Click(control_bar(), L"mute"));
  EXPECT_TRUE(meeting().microphone_on);
  EXPECT_FALSE(media().microphone_muted);

  // The layout, there and back.
  ASSERT_TRUE(CUiDriver::Click(control_bar(), L"change_layout"));
  EXPECT_EQ(meeting().layout_mode(), MeetingView::LayoutMode::SideBySide);
  ExpectVideoInOthersTiles();
  Screenshot(Shot("classroom_side_by_side"));
  ASSERT_TRUE(CUiDriver::Click(control_bar(), L"change_layout"));
  EXPECT_EQ(meeting().layout_mode(), MeetingView::LayoutMode::PictureInPicture);

  // Screen sharing, confirmed.
  CUiDriver::AnswerNextModal(L"ok_btn");
  ASSERT_TRUE(CUiDriver::Click(control_bar(), L"share_screen"));
  EXPECT_TRUE(meeting().sharing_on);
  EXPECT_TRUE(media().screen_share_on);
  EXPECT_TRUE(Visible(control_bar()));

  // The settings dialog: the second camera, which ends the sharing flag.
  bool dialog_seen = false;
  OnNextModal([&](HWND dialog) {
    dialog_seen = true;
    EXPECT_EQ(dialog, WindowOfClass(L"SettingView"));
    EXPECT_FALSE(Visible(control_bar()));
    CUiDriver::Layout(dialog);
    auto* cameras = dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(dialog, L"camera_device"));
    ASSERT_NE(cameras, nullptr);
    EXPECT_EQ(cameras->GetCount(), 2);
    Screenshot(Shot("settings"));
    EXPECT_TRUE(CUiDriver::PickItem(dialog, L"camera_device", 1));
    EXPECT_TRUE(CUiDriver::Click(dialog, L"ok_btn"));
  });
  ASSERT_TRUE(CUiDriver::Click(control_bar(), L"setting"));
  EXPECT_TRUE(dialog_seen);
  EXPECT_EQ(media().CurrentCamera(), L"cam-b");
  CUiDriver::Pump();
  EXPECT_FALSE(meeting().sharing_on);

  // The camera-switch hotkey goes to the other camera, and back.
  for (const wchar_t* expected : {L"cam-a", L"cam-b"}) {
    win::headless::PressKey('S', MOD_ALT);
    win::headless::ReleaseKey('S', MOD_ALT);
    CUiDriver::Pump();
    EXPECT_EQ(media().CurrentCamera(), expected);
  }

  // The start: the alarm bar goes, the clock runs.
  SkipTime((start - Now() + 1) * 1000);
  EXPECT_FALSE(Visible(alarm_bar()));
  EXPECT_TRUE(ControlVisible(status_bar(), L"time_counter"));
  EXPECT_EQ(Text(status_bar(), L"time_counter").substr(0, 6), L"00:00:");

  // The end of the lesson: the teacher's clock turns red and counts down to the closing.
  SkipTime((start + kDuration - Now() + 1) * 1000);
  if (own() == Role::kTeacher) {
    EXPECT_EQ(CUiDriver::GetAttribute(status_bar(), L"time_icon", L"bkimage").str(),
              L"red_clock.png");
    ASSERT_TRUE(ControlVisible(status_bar(), L"warn_info"));
    EXPECT_EQ(Text(status_bar(), L"warn_info"),
              Filled(Text(status_bar(), L"warn_info_format"),
                     (start + kDuration + kForceClose - Now() + 59) / 60 % 60));
    Screenshot(Shot("closing_countdown"));
  } else {
    EXPECT_FALSE(ControlVisible(status_bar(), L"warn_info"));
  }

  // The closing time ends the lesson: the login view again.
  const HWND meeting_window = meeting_hwnd();
  const HWND bars[] = {control_bar(), status_bar(), alarm_bar(), WindowOfClass(L"FloatTipWnd")};
  SkipTime((start + kDuration + kForceClose - Now() + 1) * 1000);
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(login_hwnd()));
  EXPECT_FALSE(Visible(meeting_hwnd()));
  EXPECT_FALSE(Visible(status_bar()));
  EXPECT_FALSE(Visible(control_bar()));
  EXPECT_FALSE(meeting().in_lesson());
  EXPECT_TRUE(LoginViewOnTop());
  Screenshot(Shot("login_again"));

  // A second lesson in the same run, on the very same windows, ended by hanging up.
  const CreatedLesson& second = second_lesson();
  ASSERT_NO_FATAL_FAILURE(JoinLesson(second));
  EXPECT_EQ(meeting_hwnd(), meeting_window);
  EXPECT_EQ(control_bar(), bars[0]);
  EXPECT_EQ(status_bar(), bars[1]);
  EXPECT_EQ(alarm_bar(), bars[2]);
  EXPECT_EQ(WindowOfClass(L"FloatTipWnd"), bars[3]);
  ExpectOthersJoin(second);
  EXPECT_TRUE(Visible(alarm_bar()));
  main().ShowControlBarIfHidden();
  CUiDriver::AnswerNextModal(L"ok_btn");
  ASSERT_TRUE(CUiDriver::Click(control_bar(), L"hangup"));
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(login_hwnd()));
  EXPECT_FALSE(Visible(alarm_bar()));
}

INSTANTIATE_TEST_SUITE_P(EveryRoleBothLanguages, LessonRoadTest,
                         ::testing::Values(RoadParam{Role::kTeacher, Language::kEnglish},
                                           RoadParam{Role::kStudent, Language::kEnglish},
                                           RoadParam{Role::kAssistant, Language::kEnglish},
                                           RoadParam{Role::kTeacher, Language::kChinese},
                                           RoadParam{Role::kStudent, Language::kChinese},
                                           RoadParam{Role::kAssistant, Language::kChinese}),
                         RoadName);

}  // namespace
}  // namespace e2e
