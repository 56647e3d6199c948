// The meeting view's handling of the engine's events, posted by the program's own bridge as
// the engine's callbacks arrive.
#include <ui/ui_test_driver.h>

#include <algorithm>
#include <vector>

#include "media/engine_events.h"
#include "tests/classroom/meeting_view_fixture.h"
#include "tests/views/login_view_fixture.h"

namespace meeting_test {
namespace {

using ::testing::_;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::StrEq;

void Pump() { ui::CUiDriver::Pump(); }

bool HasReport(const std::vector<MediaLogReport>& reports, int32_t target, const char* action) {
  return std::any_of(reports.begin(), reports.end(), [&](const MediaLogReport& report) {
    return report.target_uid == target && report.action == action;
  });
}

class EventTest : public MockedMeetingViewTest {
 protected:
  void Quality(int32_t uid, int tx, int rx) {
    bridge_.onNetworkQuality(static_cast<rtc::uid_t>(uid), tx, rx);
    Pump();
  }
  std::wstring Worded(const wchar_t* english, const wchar_t* chinese) const {
    return holder_.chinese_ui ? chinese : english;
  }
  std::wstring BarsColour(const CanvasView* tile) const {
    return ui::CUiDriver::GetAttribute(tile->network_indicator()->GetHWND(), L"background",
                                       L"bkcolor")
        .str();
  }
};

TEST_P(EventTest, TheOwnJoinShowsTheOwnTileWithLocalVideoAndReportsEnter) {
  LogIn(Role::Student);
  holder_.lesson().render_mode = 1;
  meeting().Enter();
  CanvasView* own = meeting().student_tile();
  EXPECT_CALL(mocked_.engine,
              setupLocalVideo(
                  AllOf(Field(&rtc::VideoCanvas::view, static_cast<rtc::view_t>(own->GetHWND())),
                        Field(&rtc::VideoCanvas::renderMode, 1),
                        Field(&rtc::VideoCanvas::uid, static_cast<rtc::uid_t>(OwnUid())),
                        Field(&rtc::VideoCanvas::priv, nullptr))));
  OwnJoinSucceeds();
  EXPECT_TRUE(own->present);
  EXPECT_TRUE(Shown(own));
  EXPECT_FALSE(BadgeShown(own));
  const auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].target_uid, OwnUid());
  EXPECT_EQ(reports[0].upload_uid, OwnUid());
  EXPECT_EQ(reports[0].action, "enter");
}

TEST_P(EventTest, PlayVolume250WithRecordVolume0SetsOnlyThePlayoutVolume) {
  LogIn(Role::Student);
  holder_.lesson().play_volume = 250;
  holder_.lesson().record_volume = 0;
  meeting().Enter();
  EXPECT_CALL(mocked_.parameter, setInt(StrEq("che.audio.playout.signal.volume"), 250));
  EXPECT_CALL(mocked_.parameter, setInt(StrEq("che.audio.record.signal.volume"), _)).Times(0);
  OwnJoinSucceeds();
}

TEST_P(EventTest, SignalVolumesAreClampedTo400) {
  LogIn(Role::Student);
  holder_.lesson().play_volume = 100;
  holder_.lesson().record_volume = 900;
  meeting().Enter();
  EXPECT_CALL(mocked_.parameter, setInt(StrEq("che.audio.playout.signal.volume"), 100));
  EXPECT_CALL(mocked_.parameter, setInt(StrEq("che.audio.record.signal.volume"), 400));
  OwnJoinSucceeds();
}

TEST_P(EventTest, AudioProfile3WithScenario0MakesNoProfileCall) {
  LogIn(Role::Student);
  holder_.lesson().audio_profile = 3;
  holder_.lesson().audio_scenario = 0;
  meeting().Enter();
  EXPECT_CALL(mocked_.engine, setAudioProfile(_, _)).Times(0);
  OwnJoinSucceeds();
}

TEST_P(EventTest, AudioProfileAndScenarioBothSetAreApplied) {
  LogIn(Role::Student);
  holder_.lesson().audio_profile = 3;
  holder_.lesson().audio_scenario = 1;
  meeting().Enter();
  EXPECT_CALL(mocked_.engine, setAudioProfile(3, 1));
  OwnJoinSucceeds();
}

TEST_P(EventTest, ASizeChangeOfTheOwnVideoDoesNotRelayOut) {
  EverybodyIn();
  CanvasView* own = meeting().teacher_tile();
  ASSERT_EQ(meeting().slot_main(), own);
  // A size the next layout would show (1280 x 540 fills the width), written without one.
  own->video_width = 1280;
  own->video_height = 540;
  bridge_.onVideoSizeChanged(0, 640, 640, 0);
  Pump();
  EXPECT_EQ(own->video_width, 1280);
  EXPECT_EQ(own->video_height, 540);
  const RECT place = PlaceOf(own);
  EXPECT_EQ(place.left, 160);
  EXPECT_EQ(place.right - place.left, 960);
  EXPECT_EQ(place.bottom - place.top, 720);
  // The same size for a remote participant is taken and laid out at once.
  bridge_.onVideoSizeChanged(static_cast<rtc::uid_t>(uids().student), 640, 640, 0);
  Pump();
  EXPECT_EQ(PlaceOf(own).right - PlaceOf(own).left, 1280);
}

TEST_P(EventTest, ASizeChangeOfARemoteVideoRelaysOut) {
  EverybodyIn();
  bridge_.onVideoSizeChanged(static_cast<rtc::uid_t>(uids().student), 480, 480, 0);
  Pump();
  EXPECT_EQ(meeting().student_tile()->video_width, 480);
  // The lower small tile is 240 wide, now as high as wide.
  const RECT lower = PlaceOf(meeting().student_tile());
  EXPECT_EQ(lower.bottom - lower.top, 240);
}

TEST_P(EventTest, ATeachersClientSeesTheStudentComeAndGo) {
  LogIn(Role::Teacher);
  meeting().Enter();
  OwnJoinSucceeds();
  CanvasView* student = meeting().student_tile();
  EXPECT_CALL(mocked_.engine,
              setupRemoteVideo(AllOf(
                  Field(&rtc::VideoCanvas::view, static_cast<rtc::view_t>(student->GetHWND())),
                  Field(&rtc::VideoCanvas::uid, static_cast<rtc::uid_t>(uids().student)))));
  bridge_.onUserJoined(static_cast<rtc::uid_t>(uids().student), 30);
  Pump();
  // The lower small place of the start-up slots, the own teacher tile filling the view.
  ASSERT_EQ(meeting().slot_lower(), student);
  EXPECT_TRUE(student->present);
  EXPECT_TRUE(Shown(student));
  const RECT place = PlaceOf(student);
  EXPECT_EQ(place.left, 1280 - 240);
  EXPECT_EQ(place.top, 0);
  EXPECT_FALSE(BadgeShown(student));

  bridge_.onUserOffline(static_cast<rtc::uid_t>(uids().student), rtc::USER_OFFLINE_QUIT);
  Pump();
  EXPECT_FALSE(student->present);
  // The small place stays, black with the offline badge, as the layout keeps it.
  EXPECT_TRUE(BadgeShown(student));
  EXPECT_FALSE(IsWindowVisible(student->network_indicator()->GetHWND()));
  const auto reports = Reports();
  EXPECT_TRUE(HasReport(reports, OwnUid(), "enter"));
  EXPECT_TRUE(HasReport(reports, uids().student, "enter"));
  EXPECT_TRUE(HasReport(reports, uids().student, "exit"));
  EXPECT_EQ(reports.size(), 3u);
}

TEST_P(EventTest, TheOwnLeaveMakesTheOwnTileAbsentAndReportsExit) {
  LogIn(Role::Assistant);
  meeting().Enter();
  OwnJoinSucceeds();
  bridge_.onLeaveChannel(rtc::RtcStats{});
  Pump();
  EXPECT_FALSE(meeting().assistant_tile()->present);
  EXPECT_TRUE(HasReport(Reports(), OwnUid(), "exit"));
}

TEST_P(EventTest, UsersOfNoRoleShowNothingAndAreNotReported) {
  LogIn(Role::Teacher);
  meeting().Enter();
  EXPECT_CALL(mocked_.engine, setupRemoteVideo(_)).Times(0);
  bridge_.onUserJoined(987654, 1);
  bridge_.onFirstRemoteVideoDecoded(987654, 640, 480, 1);
  bridge_.onNetworkQuality(987654, 6, 6);
  bridge_.onUserOffline(987654, rtc::USER_OFFLINE_QUIT);
  Pump();
  for (const CanvasView* tile :
       {meeting().student_tile(), meeting().teacher_tile(), meeting().assistant_tile()}) {
    EXPECT_FALSE(tile->present);
    EXPECT_EQ(tile->video_width, 0);
  }
  EXPECT_TRUE(shell_.tips.empty());
  EXPECT_TRUE(Reports().empty());
}

TEST_P(EventTest, OwnBadQualityShowsTheLocalLineAndItsNumber) {
  LogIn(Role::Teacher);
  meeting().Enter();
  Quality(0, 2, 5);
  EXPECT_EQ(meeting().QualityOf(LessonRole::Teacher), 5);
  ASSERT_EQ(shell_.tips.size(), 1u);
  EXPECT_EQ(shell_.tips[0], Worded(L"Local network unstable", L"本地网络不稳定"));
  EXPECT_TRUE(shell_.tip_visible);
  EXPECT_NE(BarsColour(meeting().teacher_tile()), L"#ff888888");
}

TEST_P(EventTest, AStudentsBadQualityIsNamedWhileAnotherRoleReports) {
  LogIn(Role::Teacher);
  meeting().Enter();
  Quality(uids().student, 5, 1);
  EXPECT_EQ(shell_.tips.back(), Worded(L"Student's network unstable", L"学生网络不稳定"));
  Quality(uids().assistant, 1, 1);
  EXPECT_EQ(shell_.tips.back(), Worded(L"Student's network unstable", L"学生网络不稳定"));
  // The own link measured fine is not blamed for the student's.
  Quality(0, 1, 1);
  EXPECT_EQ(shell_.tips.back(), Worded(L"Student's network unstable", L"学生网络不稳定"));
  Quality(uids().student, 1, 2);
  EXPECT_FALSE(shell_.tip_visible);
}

TEST_P(EventTest, AnUnknownQualityKeepsTheWarningOnTheRoleReported) {
  LogIn(Role::Student);
  meeting().Enter();
  Quality(uids().teacher, 0, 0);
  ASSERT_FALSE(shell_.tips.empty());
  EXPECT_EQ(shell_.tips.back(), Worded(L"Teacher's network unstable", L"老师网络不稳定"));
  Quality(uids().assistant, 3, 3);
  EXPECT_EQ(shell_.tips.back(),
            Worded(L"Teaching assistant's network unstable", L"助教网络不稳定"));
  EXPECT_TRUE(shell_.tip_visible);
}

TEST_P(EventTest, AParticipantWhoLeavesTakesTheWarningWithHim) {
  LogIn(Role::Teacher);
  meeting().Enter();
  bridge_.onUserJoined(static_cast<rtc::uid_t>(uids().student), 1);
  Quality(uids().student, 6, 6);
  bridge_.onUserOffline(static_cast<rtc::uid_t>(uids().student), rtc::USER_OFFLINE_QUIT);
  Pump();
  EXPECT_EQ(meeting().QualityOf(LessonRole::Student), 1);
  Quality(uids().assistant, 2, 2);
  EXPECT_FALSE(shell_.tip_visible);
}

// Reports handled in one turn move the tip once, to what the last of them asks for; a last
// report that names nobody leaves the tip an earlier one asked for.
TEST_P(EventTest, ReportsHandledTogetherShowTheTipTheLastOneAsksFor) {
  struct Report {
    int32_t uid;
    int quality;
  };
  struct Case {
    std::vector<Report> reports;
    const wchar_t* english;
    const wchar_t* chinese;
  };
  const LessonUids ids = uids();
  const Case cases[] = {{{{ids.student, 5}, {ids.student, 1}, {ids.assistant, 0}},
                         L"Teaching assistant's network unstable",
                         L"助教网络不稳定"},
                        {{{ids.assistant, 1}, {ids.student, 0}, {987654, 2}},
                         L"Student's network unstable",
                         L"学生网络不稳定"}};
  LogIn(Role::Teacher);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.english);
    meeting().Enter();
    shell_.tips.clear();
    for (const Report& report : c.reports) {
      bridge_.onNetworkQuality(static_cast<rtc::uid_t>(report.uid), report.quality, report.quality);
    }
    Pump();
    EXPECT_THAT(shell_.tips, ::testing::ElementsAre(Worded(c.english, c.chinese)));
    EXPECT_TRUE(shell_.tip_visible);
    meeting().Leave();
  }
}

// Only a refused join ends the lesson's entry: other errors, and any error once the own join
// has succeeded, leave the classroom as it is.
TEST_P(EventTest, ARefusedJoinLeavesTheClassroomWithANotice) {
  struct Case {
    int code;
    bool joined_first;
    bool leaves;
  };
  const Case cases[] = {{rtc::ERR_JOIN_CHANNEL_REJECTED, false, true},
                        {rtc::ERR_JOIN_CHANNEL_REJECTED, true, false},
                        {rtc::ERR_FAILED, false, false}};
  LogIn(Role::Teacher);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    shell_.leaves = 0;
    shell_.notices.clear();
    meeting().Enter();
    if (c.joined_first) OwnJoinSucceeds();
    bridge_.onError(c.code, "the media room did not let the lesson in");
    Pump();
    EXPECT_EQ(shell_.leaves, c.leaves ? 1 : 0);
    if (c.leaves) {
      EXPECT_THAT(shell_.notices,
                  ::testing::ElementsAre(
                      Worded(L"Unable to join the lesson's audio and video, please try again",
                             L"无法加入课堂的音视频，请稍后重试")));
    } else {
      EXPECT_TRUE(shell_.notices.empty());
    }
    meeting().Leave();
  }
}

TEST_P(EventTest, TheReconnectNoticeLastsUntilTheConnectionIsBackOrTheLessonEnds) {
  const std::wstring reconnecting =
      Worded(L"Connection lost, reconnecting\u2026", L"网络连接中断，正在重新连接…");
  LogIn(Role::Teacher);
  meeting().Enter();
  OwnJoinSucceeds();
  auto state = [&](int value) {
    bridge_.onConnectionStateChanged(value);
    Pump();
    return shell_.lasting_notice;
  };
  EXPECT_EQ(state(rtc::CONNECTION_STATE_RECONNECTING), reconnecting);
  EXPECT_EQ(state(rtc::CONNECTION_STATE_RECONNECTING), reconnecting);
  EXPECT_EQ(state(rtc::CONNECTION_STATE_CONNECTED), L"");
  EXPECT_EQ(state(rtc::CONNECTION_STATE_RECONNECTING), reconnecting);
  meeting().Leave();
  EXPECT_EQ(shell_.lasting_notice, L"");
  EXPECT_EQ(state(rtc::CONNECTION_STATE_RECONNECTING), L"");  // after the lesson: nothing
}

TEST_P(EventTest, QualityOutsideALessonOnlyColoursTheTile) {
  LogIn(Role::Teacher);
  meeting().Enter();
  meeting().Leave();
  const std::size_t hides = static_cast<std::size_t>(shell_.tip_hides);
  Quality(uids().student, 1, 1);
  EXPECT_EQ(BarsColour(meeting().student_tile()), L"#ff71bd5f");
  Quality(uids().student, 6, 6);
  EXPECT_EQ(meeting().QualityOf(LessonRole::Student), 1);
  EXPECT_TRUE(shell_.tips.empty());
  EXPECT_EQ(static_cast<std::size_t>(shell_.tip_hides), hides);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, EventTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

// Device changes over an engine whose microphones and cameras the test plugs in and out.
class DeviceEventTest : public MeetingViewTest {
 protected:
  void SetUp() override {
    MeetingViewTest::SetUp();
    devices_.microphones.plugged = {{"Desk microphone", "mic-a"}};
    devices_.cameras.plugged = {{"Desk camera", "cam-a"}};
    OpenView(devices_.media());
    ASSERT_TRUE(devices_.media().OpenMicrophoneList());
    ASSERT_TRUE(devices_.media().OpenCameraList());
    LogIn(Role::Student);
    meeting().Enter();
  }
  login_test::DeviceEngine devices_;
};

TEST_P(DeviceEventTest, AMicrophoneChangeSelectsTheFirstOfTheFreshList) {
  devices_.microphones.plugged = {{"Headset", "mic-h"}, {"Desk microphone", "mic-a"}};
  bridge_.onAudioDeviceStateChanged("mic-h", 0, 1);
  Pump();
  ASSERT_EQ(devices_.microphones.selected.size(), 1u);
  EXPECT_EQ(devices_.microphones.selected[0], "mic-h");
  EXPECT_TRUE(devices_.cameras.selected.empty());
}

TEST_P(DeviceEventTest, ACameraChangeSelectsTheFirstOfTheFreshList) {
  devices_.cameras.plugged = {{"USB camera", "cam-u"}};
  bridge_.onVideoDeviceStateChanged("cam-a", 3, 8);
  Pump();
  ASSERT_EQ(devices_.cameras.selected.size(), 1u);
  EXPECT_EQ(devices_.cameras.selected[0], "cam-u");
  EXPECT_TRUE(devices_.microphones.selected.empty());
}

TEST_P(DeviceEventTest, AnEmptyListSelectsNothing) {
  devices_.microphones.plugged.clear();
  devices_.cameras.plugged.clear();
  bridge_.onAudioDeviceStateChanged("mic-a", 0, 8);
  bridge_.onVideoDeviceStateChanged("cam-a", 3, 8);
  Pump();
  EXPECT_TRUE(devices_.microphones.selected.empty());
  EXPECT_TRUE(devices_.cameras.selected.empty());
}

INSTANTIATE_TEST_SUITE_P(BothSkins, DeviceEventTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
}  // namespace meeting_test
