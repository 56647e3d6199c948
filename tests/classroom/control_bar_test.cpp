// The control bar on both real skins, made and placed as the main window does it, over a
// recording shell, a real meeting view and a mocked engine, with the headless clock and cursor:
// the auto-hide and its strict edges, the mute button's two states, and the three questions.
#include "classroom/control_bar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/app_messages.h"
#include "classroom/meeting_view.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "tests/classroom/bars_fixture.h"
#include "tests/media/mock_engine.h"

using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;
using ui::CUiDriver;

namespace {

constexpr const char* kMuteOn = R"({"rtc.audio.mute_me":true,"che.audio.mute_me":true})";
constexpr const char* kMuteOff = R"({"rtc.audio.mute_me":false,"che.audio.mute_me":false})";

media_test::MockRtcEngine* current_engine = nullptr;
rtc::IRtcEngine* TestFactory() { return current_engine; }

// Created hidden and placed over the owner's lower part, as the main window does it.
class TestControlBar : public ControlBar {
 public:
  TestControlBar(ClassroomShell& shell, MediaEngine& media, HWND owner) : ControlBar(shell, media) {
    Create(owner, L"QV-ControlBar", WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 1080, 675);
    RECT rect{};
    GetWindowRect(owner, &rect);
    MoveWindow(GetHWND(), rect.left + 5, rect.bottom - 185, rect.right - rect.left - 10, 180, TRUE);
  }
  ~TestControlBar() override { DestroyWindow(GetHWND()); }
};

class ControlBarTest : public shell_test::SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    current_engine = &engine_;
    ON_CALL(engine_, queryInterface(rtc::IID_RTC_ENGINE_PARAMETER, _))
        .WillByDefault([this](rtc::INTERFACE_ID_TYPE, void** found) {
          *found = static_cast<rtc::IRtcEngineParameter*>(&parameter_);
          return 0;
        });
    win::headless::MoveCursor(5, 5);  // far from the bar
    shell_.owner = owner_->hwnd();
    view_.Create(owner_->hwnd(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                 0, 0, 0, 0);
    shell_.view = &view_;
    bar_ = std::make_unique<TestControlBar>(shell_, media_, owner_->hwnd());
    shell_.control_bar = bar_.get();
    CUiDriver::Pump();
  }
  void TearDown() override {
    bar_.reset();
    DestroyWindow(view_.GetHWND());
    current_engine = nullptr;
    SkinTest::TearDown();
  }

  HWND Bar() const { return bar_->GetHWND(); }
  bool Shown() const { return IsWindowVisible(Bar()) != FALSE; }
  RECT BarRect() const {
    RECT rect{};
    GetWindowRect(Bar(), &rect);
    return rect;
  }
  // Milliseconds on the virtual clock, with whatever fell due.
  static void Wait(int milliseconds) {
    win::headless::AdvanceClock(milliseconds);
    CUiDriver::Pump();
  }
  static void PutCursor(POINT point) {
    win::headless::MoveCursor(point.x, point.y);
    CUiDriver::Pump();
  }
  LRESULT HitTest(int x, int y) const {
    return SendMessageW(Bar(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
  }
  std::wstring MuteImage(const wchar_t* state) const {
    return CUiDriver::GetAttribute(Bar(), L"mute", state).str();
  }
  void ExpectMicrophoneOnImages() const {
    EXPECT_EQ(MuteImage(L"normalimage"), L"mute_button.png");
    EXPECT_EQ(MuteImage(L"pushedimage"), L"mute_button_pressed.png");
  }
  void ExpectMicrophoneOffImages() const {
    EXPECT_EQ(MuteImage(L"normalimage"), L"unmute_button.png");
    EXPECT_EQ(MuteImage(L"pushedimage"), L"unmute_button_pressed.png");
  }
  // Clicks the button with the next box answered by answer; the boxes asked so far.
  const std::vector<bars_test::AskedBox>& ClickAnswering(const wchar_t* button,
                                                         const wchar_t* answer) {
    answerer_.AnswerNextWith(answer);
    ui_test::Watchdog watchdog(owner_->hwnd());
    EXPECT_TRUE(CUiDriver::Click(Bar(), button));
    CUiDriver::Pump();
    return answerer_.asked;
  }

  NiceMock<media_test::MockRtcEngine> engine_;
  NiceMock<media_test::MockParameter> parameter_;
  CAGEngineEventHandler bridge_;
  MediaEngine media_{TestFactory, bridge_};
  DataHolder holder_;
  bars_test::RecordingShell shell_;
  MeetingView view_{shell_, holder_, media_, bridge_};
  std::unique_ptr<TestControlBar> bar_;
  bars_test::BoxAnswerer answerer_;
};

}  // namespace

// Showing and hiding by itself.

TEST_P(ControlBarTest, IsHiddenUntilTheClassroomAsksAndFoundByItsClass) {
  EXPECT_FALSE(Shown());
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"QV-CONTROLBAR"), Bar());
  EXPECT_EQ(GetWindow(Bar(), GW_OWNER), owner_->hwnd());
  shell_.ShowControlBarIfHidden();
  EXPECT_TRUE(Shown());
}

TEST_P(ControlBarTest, HidesThreeSecondsAfterBeingShownWithTheCursorElsewhere) {
  shell_.ShowControlBarIfHidden();
  Wait(2999);
  EXPECT_TRUE(Shown());
  Wait(1);
  EXPECT_FALSE(Shown());
}

TEST_P(ControlBarTest, ACursorRestingOnTheBarKeepsItShown) {
  shell_.ShowControlBarIfHidden();
  const RECT rect = BarRect();
  PutCursor({(rect.left + rect.right) / 2, rect.top + 40});
  for (int period = 0; period < 10; ++period) Wait(kControlBarHideMs);
  EXPECT_TRUE(Shown());
}

TEST_P(ControlBarTest, LeavingTheBarHidesItWithinThreeSecondsOfTheLastMoveOverIt) {
  shell_.ShowControlBarIfHidden();
  const RECT rect = BarRect();
  Wait(2000);
  PutCursor({rect.left + 300, rect.top + 60});  // a move over the bar starts the 3 s again
  PutCursor({rect.left + 300, rect.top - 50});  // then away, over the classroom
  Wait(2999);
  EXPECT_TRUE(Shown());
  Wait(1);
  EXPECT_FALSE(Shown());
}

TEST_P(ControlBarTest, ShownAgainItCountsItsThreeSecondsAfresh) {
  shell_.ShowControlBarIfHidden();
  Wait(kControlBarHideMs);
  ASSERT_FALSE(Shown());
  Wait(1000);
  shell_.ShowControlBarIfHidden();
  Wait(2999);
  EXPECT_TRUE(Shown());
  Wait(1);
  EXPECT_FALSE(Shown());
}

TEST_P(ControlBarTest, TheShellShowsOnlyAHiddenBarSoItsTimerRunsOn) {
  shell_.ShowControlBarIfHidden();
  Wait(2000);
  shell_.ShowControlBarIfHidden();  // the mouse moved over the classroom again
  Wait(1000);
  EXPECT_FALSE(Shown());
}

// The outer edge of the bar is not its own.

TEST_P(ControlBarTest, TheHitTestTakesOnlyPointsStrictlyInside) {
  const RECT rect = BarRect();
  EXPECT_EQ(HitTest(rect.left + 1, rect.top + 1), HTCLIENT);
  EXPECT_EQ(HitTest(rect.right - 2, rect.bottom - 2), HTCLIENT);
  EXPECT_EQ(HitTest((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2), HTCLIENT);
  for (const POINT edge : {POINT{rect.left, rect.top + 50}, POINT{rect.right - 1, rect.top + 50},
                           POINT{rect.left + 50, rect.top}, POINT{rect.left + 50, rect.bottom - 1},
                           POINT{rect.left - 1, rect.top + 50}, POINT{rect.right, rect.top + 50}}) {
    EXPECT_EQ(HitTest(edge.x, edge.y), HTNOWHERE) << edge.x << "," << edge.y;
  }
}

TEST_P(ControlBarTest, ACoordinateLeftOfTheScreenIsReadAsSigned) {
  MoveWindow(Bar(), -500, 300, 1000, 180, TRUE);
  EXPECT_EQ(HitTest(-100, 350), HTCLIENT);
  EXPECT_EQ(HitTest(-500, 350), HTNOWHERE);
}

TEST_P(ControlBarTest, ACursorRestingOnAnyEdgeCountsAsOutside) {
  const RECT rect = BarRect();
  for (const POINT edge :
       {POINT{rect.left, rect.top + 50}, POINT{rect.right - 1, rect.top + 50},
        POINT{rect.left + 50, rect.top}, POINT{rect.left + 50, rect.bottom - 1}}) {
    shell_.ShowControlBarIfHidden();
    PutCursor(edge);
    Wait(kControlBarHideMs);
    EXPECT_FALSE(Shown()) << edge.x << "," << edge.y;
  }
}

// The microphone.

TEST_P(ControlBarTest, StartsWithTheMicrophoneOnImages) { ExpectMicrophoneOnImages(); }

TEST_P(ControlBarTest, TwoMuteClicksMuteAndRestoreTheMicrophone) {
  ::testing::InSequence order;
  EXPECT_CALL(parameter_, setParameters(StrEq(kMuteOn))).WillOnce(Return(0));
  EXPECT_CALL(parameter_, setParameters(StrEq(kMuteOff))).WillOnce(Return(0));
  shell_.ShowControlBarIfHidden();

  ASSERT_TRUE(CUiDriver::Click(Bar(), L"mute"));
  EXPECT_FALSE(view_.microphone_on);
  EXPECT_TRUE(media_.microphone_muted);
  ExpectMicrophoneOffImages();

  ASSERT_TRUE(CUiDriver::Click(Bar(), L"mute"));
  EXPECT_TRUE(view_.microphone_on);
  EXPECT_FALSE(media_.microphone_muted);
  ExpectMicrophoneOnImages();
  EXPECT_TRUE(Shown());
}

TEST_P(ControlBarTest, AMuteTheEngineRefusesStillFollowsTheViewsFlag) {
  EXPECT_CALL(parameter_, setParameters(StrEq(kMuteOn))).WillOnce(Return(-1));
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"mute"));
  EXPECT_FALSE(view_.microphone_on);
  EXPECT_FALSE(media_.microphone_muted);
  ExpectMicrophoneOffImages();
}

TEST_P(ControlBarTest, WithoutAMeetingViewMuteOnlyResetsTheImages) {
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"mute"));
  ExpectMicrophoneOffImages();
  shell_.view = nullptr;
  EXPECT_CALL(parameter_, setParameters(_)).Times(0);
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"mute"));
  ExpectMicrophoneOnImages();
  EXPECT_FALSE(view_.microphone_on);  // untouched
}

TEST_P(ControlBarTest, ResettingForALessonGivesTheMicrophoneOnImagesAndTheSharingRule) {
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"mute"));
  bar_->ResetForLesson(false);
  ExpectMicrophoneOnImages();
  EXPECT_FALSE(CUiDriver::IsVisible(Bar(), L"share_screen"));
  bar_->ResetForLesson(true);
  EXPECT_TRUE(CUiDriver::IsVisible(Bar(), L"share_screen"));
}

// Layout and settings.

TEST_P(ControlBarTest, ChangeLayoutSwitchesTheViewAndKeepsTheBar) {
  shell_.ShowControlBarIfHidden();
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"change_layout"));
  EXPECT_EQ(view_.layout_mode(), MeetingView::LayoutMode::SideBySide);
  EXPECT_TRUE(Shown());
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"change_layout"));
  EXPECT_EQ(view_.layout_mode(), MeetingView::LayoutMode::PictureInPicture);
}

TEST_P(ControlBarTest, SettingsInTheClassroomOpenTheDialogAndTheBarComesBackAfterIt) {
  shell_.ShowControlBarIfHidden();
  answerer_.AnswerNextWith(L"cancel_btn", L"SettingView");
  ui_test::Watchdog watchdog(owner_->hwnd());
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"setting"));
  ASSERT_EQ(answerer_.asked.size(), 1u);
  EXPECT_EQ(answerer_.asked[0].owner, owner_->hwnd());  // the view's top-level window
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"SettingView"), nullptr);
  EXPECT_TRUE(Shown());
}

TEST_P(ControlBarTest, SettingsOutsideTheClassroomOpenNothingAndTheBarStaysAway) {
  shell_.ShowControlBarIfHidden();
  shell_.classroom_open = false;
  answerer_.AnswerNextWith(L"closebtn");
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"setting"));
  CUiDriver::Pump();
  EXPECT_TRUE(answerer_.asked.empty());
  EXPECT_FALSE(Shown());
}

TEST_P(ControlBarTest, SettingsWithoutAMeetingViewOpenNothingAndTheBarComesBack) {
  shell_.ShowControlBarIfHidden();
  shell_.view = nullptr;
  ASSERT_TRUE(CUiDriver::Click(Bar(), L"setting"));
  EXPECT_TRUE(Shown());
}

// The three questions.

TEST_P(ControlBarTest, ShareAsksToStartAndConfirmingStartsSharing) {
  shell_.ShowControlBarIfHidden();
  const auto& asked = ClickAnswering(L"share_screen", L"ok_btn");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].message, bars_test::MessageOf(L"screen_share_confirm_dlg.xml"));
  EXPECT_TRUE(view_.sharing_on);
  EXPECT_TRUE(media_.screen_share_on);
  EXPECT_TRUE(Shown());
}

TEST_P(ControlBarTest, WhileSharingShareAsksToStopAndConfirmingStopsIt) {
  ClickAnswering(L"share_screen", L"ok_btn");
  const auto& asked = ClickAnswering(L"share_screen", L"ok_btn");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].message, bars_test::MessageOf(L"cancel_screen_share_confirm_dlg.xml"));
  EXPECT_NE(asked[0].message, asked[1].message);
  EXPECT_FALSE(view_.sharing_on);
  EXPECT_FALSE(media_.screen_share_on);
  EXPECT_TRUE(Shown());
}

TEST_P(ControlBarTest, CancellingTheShareQuestionChangesNothingAndTheBarComesBack) {
  EXPECT_CALL(engine_, startScreenCapture(_, _, _, _)).Times(0);
  ClickAnswering(L"share_screen", L"cancel_btn");
  EXPECT_FALSE(view_.sharing_on);
  EXPECT_TRUE(Shown());
  ClickAnswering(L"share_screen", L"closebtn");
  EXPECT_FALSE(view_.sharing_on);
}

TEST_P(ControlBarTest, QuestionsAreOwnedByTheShellCentredAndOfTheirSize) {
  const auto& asked = ClickAnswering(L"hangup", L"cancel_btn");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].owner, owner_->hwnd());
  EXPECT_EQ(asked[0].size.cx, 360);
  EXPECT_EQ(asked[0].size.cy, 220);
  EXPECT_EQ(asked[0].style & (WS_POPUP | WS_VISIBLE), static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
  EXPECT_EQ(asked[0].ex_style & WS_EX_TOOLWINDOW, static_cast<DWORD>(WS_EX_TOOLWINDOW));
  EXPECT_EQ(CUiDriver::FindWindowByClass(L"QV-MSGBOX"), nullptr);  // gone with its answer
}

TEST_P(ControlBarTest, ConfirmedHangUpLeavesTheClassroom) {
  shell_.ShowControlBarIfHidden();
  const auto& asked = ClickAnswering(L"hangup", L"ok_btn");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].message, bars_test::MessageOf(L"exit_meeting_confirm_dlg.xml"));
  EXPECT_EQ(shell_.leaves, 1);
  EXPECT_FALSE(Shown());
}

TEST_P(ControlBarTest, CancelledHangUpStaysInTheLessonWithTheBarHiddenUntilTheNextMove) {
  shell_.ShowControlBarIfHidden();
  ClickAnswering(L"hangup", L"cancel_btn");
  EXPECT_EQ(shell_.leaves, 0);
  EXPECT_FALSE(Shown());
  shell_.ShowControlBarIfHidden();
  EXPECT_TRUE(Shown());
}

// The lesson reaching its closing time while a question is open.

TEST_P(ControlBarTest, AShareConfirmedAfterTheLessonClosedSharesNothingAndTheBarStaysAway) {
  EXPECT_CALL(engine_, startScreenCapture(_, _, _, _)).Times(0);
  shell_.ShowControlBarIfHidden();
  answerer_.while_open = [this] { shell_.classroom_open = false; };
  ClickAnswering(L"share_screen", L"ok_btn");
  EXPECT_FALSE(view_.sharing_on);
  EXPECT_FALSE(media_.screen_share_on);
  EXPECT_FALSE(Shown());
}

TEST_P(ControlBarTest, AHangUpConfirmedAfterTheLessonClosedLeavesNothingTwice) {
  answerer_.while_open = [this] { shell_.classroom_open = false; };
  ClickAnswering(L"hangup", L"ok_btn");
  EXPECT_EQ(shell_.leaves, 0);
  EXPECT_FALSE(Shown());
}

INSTANTIATE_TEST_SUITE_P(BothSkins, ControlBarTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
