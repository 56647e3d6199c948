// The main window's lesson flow on both real skins: creation, the configuration's arrival and
// the engine start, the update offer, a device list that cannot be opened, the login results,
// the network test and its verdict, and closing the window in and outside a lesson.
#include "app/main_window.h"

#include <win/headless.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/app_messages.h"
#include "classroom/meeting_view.h"
#include "media/engine_events.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/quit_message.h"
#include "tests/support/scoped_env.h"
#include "views/login_view.h"

using main_window_test::MainWindowTest;
using testing_support::TakeQuit;
using ui::CUiDriver;

namespace {

constexpr const wchar_t* kUpdateAddress = L"https://example.org/quorvel/2.0";

int ItemCount(HWND view, const wchar_t* list) {
  return dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(view, list))->GetCount();
}

std::vector<std::wstring> OpenedSince(std::size_t before) {
  const std::vector<std::wstring> all = win::headless::OpenedAddresses();
  return std::vector<std::wstring>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
}

using StartTest = MainWindowTest;

TEST_P(StartTest, TheWindowIsCentredOnTheWorkAreaAndHoldsBothViewsBelowItsCaption) {
  OpenMainWindow();
  const RECT rect = Rect(hwnd());
  EXPECT_EQ(rect.left, 420);
  EXPECT_EQ(rect.top, 182);
  EXPECT_EQ(rect.right - rect.left, 1080);
  EXPECT_EQ(rect.bottom - rect.top, 675);
  EXPECT_EQ(FindWindowW(L"QUORVEL_MAIN", nullptr), hwnd());
  EXPECT_EQ(holder_.main_window, hwnd());
  EXPECT_EQ(config_requests_, 1);
  wchar_t title[32] = {};
  GetWindowTextW(hwnd(), title, 32);
  EXPECT_EQ(std::wstring(title), L"Quorvel");
  for (HWND view : {LoginView(), MeetingView()}) {
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetParent(view), hwnd());
    const RECT place = Rect(view);
    EXPECT_EQ(place.left, rect.left);
    EXPECT_EQ(place.top, rect.top + 32);
    EXPECT_EQ(place.right, rect.right);
    EXPECT_EQ(place.bottom, rect.bottom);
  }
  EXPECT_TRUE(Visible(LoginView()));
  EXPECT_FALSE(main().in_classroom());
}

TEST_P(StartTest, TheLoginViewIsWhatTheWindowShowsBeforeALesson) {
  OpenMainWindow();
  CUiDriver::Pump();
  for (POINT at : {POINT{540, 400}, POINT{100, 600}, POINT{1000, 100}}) {
    EXPECT_EQ(win::headless::WindowPixel(hwnd(), at.x, at.y),
              win::headless::WindowPixel(LoginView(), at.x, at.y - 32));
  }
}

TEST_P(StartTest, ConfigurationThenTheEngineTimerStartsTheEngineAndFillsTheLoginView) {
  OpenMainWindow();
  Post(UM_CONFIG_DONE);
  Advance(499);
  EXPECT_TRUE(engine_.initialised_ids.empty());
  EXPECT_EQ(ItemCount(LoginView(), L"camera_device"), 0);
  Advance(1);
  EXPECT_EQ(engine_.initialised_ids, std::vector<std::string>{"test-app-id"});
  EXPECT_EQ(engine_.video_enables, 1);
  EXPECT_TRUE(engine_.media().video_enabled);
  EXPECT_EQ(ItemCount(LoginView(), L"camera_device"), 1);
  EXPECT_EQ(ItemCount(LoginView(), L"audin_device"), 1);
  Advance(5000);  // one shot
  EXPECT_EQ(engine_.initialised_ids.size(), 1u);
  EXPECT_TRUE(IsWindow(hwnd()));
}

TEST_P(StartTest, ACameraListThatCannotBeOpenedShowsTheBoxAndEndsTheProgram) {
  engine_.cameras_fail = true;
  OpenMainWindow();
  Post(UM_CONFIG_DONE);
  AnswerNextBox(L"ok_btn");
  Advance(500);
  EXPECT_TRUE(Seen().opened);
  EXPECT_FALSE(IsWindow(hwnd()));
  int code = -1;
  EXPECT_TRUE(TakeQuit(&code));
  EXPECT_EQ(code, 0);
}

TEST_P(StartTest, ASpeakerListThatCannotBeOpenedEndsTheProgramEvenWhenTheBoxIsClosed) {
  engine_.speakers_fail = true;
  OpenMainWindow();
  Post(UM_CONFIG_DONE);
  AnswerNextBox(L"closebtn");
  Advance(500);
  EXPECT_TRUE(Seen().opened);
  EXPECT_FALSE(IsWindow(hwnd()));
  int code = -1;
  EXPECT_TRUE(TakeQuit(&code));
}

TEST_P(StartTest, AStoredHotkeyTakenElsewhereShowsTheBoxWhoseConfirmationStartsNothing) {
  win::headless::TakeHotKeyElsewhere(MOD_ALT | MOD_NOREPEAT, 'Q');
  holder_.settings().hotkey = "Alt + Q";
  AnswerNextBox(L"ok_btn");
  OpenMainWindow();
  CUiDriver::Pump();
  EXPECT_TRUE(Seen().opened);
  EXPECT_EQ(engine_.screen_captures, 0);
  EXPECT_FALSE(main().meeting_view()->sharing_on);
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(IsWindow(hwnd()));
  int code = 0;
  EXPECT_FALSE(TakeQuit(&code));
}

class UpdateTest : public MainWindowTest {
 protected:
  // A stand-in opener first on the PATH, so that no browser starts from a test.
  void SetUp() override {
    MainWindowTest::SetUp();
    const std::filesystem::path opener = bin_.path() / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nexit 0\n";
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    path_.emplace("PATH", bin_.path().string() + ":" + (path != nullptr ? path : "/usr/bin:/bin"));
  }
  void Announce(const char* version, int update) {
    AppInfo& info = holder_.app_info();
    info.new_version = version;
    info.current_version = "1.1.7";
    info.update = update;
    info.update_message = "Quorvel 2.0: steadier video";
    info.update_url = "https://example.org/quorvel/2.0";
  }
  // The configuration arrives with the box answered by button.
  void Arrive(const wchar_t* button) {
    opened_before_ = win::headless::OpenedAddresses().size();
    OpenMainWindow();
    AnswerNextBox(button);
    Post(UM_CONFIG_DONE);
  }
  std::vector<std::wstring> Opened() const { return OpenedSince(opened_before_); }
  bool Quit() {
    int code = -1;
    return TakeQuit(&code) && code == 0;
  }

  std::size_t opened_before_ = 0;
  testing_support::TempDir bin_;
  std::optional<testing_support::ScopedEnv> path_;
};

TEST_P(UpdateTest, AnOptionalNewerVersionIsOfferedWithItsMessageAndOpensTheAddressWhenConfirmed) {
  Announce("1.2.0", 1);
  Arrive(L"ok_btn");
  EXPECT_TRUE(Seen().opened);
  EXPECT_EQ(Seen().message, L"Quorvel 2.0: steadier video");
  EXPECT_TRUE(Seen().cancel_visible);
  EXPECT_EQ(Opened(), std::vector<std::wstring>{kUpdateAddress});
  EXPECT_FALSE(Quit());
  EXPECT_TRUE(IsWindow(hwnd()));
}

TEST_P(UpdateTest, ADeclinedOptionalUpdateOpensNothingAndTheEngineStillStarts) {
  Announce("1.2.0", 1);
  Arrive(L"cancel_btn");
  EXPECT_TRUE(Seen().opened);
  EXPECT_TRUE(Opened().empty());
  Advance(500);
  EXPECT_EQ(engine_.initialised_ids.size(), 1u);
}

TEST_P(UpdateTest, AForcedUpdateHidesCancelAndQuitsAfterOpeningTheAddress) {
  Announce("1.2.0", 2);
  Arrive(L"ok_btn");
  EXPECT_TRUE(Seen().opened);
  EXPECT_FALSE(Seen().cancel_visible);
  EXPECT_EQ(Opened(), std::vector<std::wstring>{kUpdateAddress});
  EXPECT_TRUE(Quit());
}

TEST_P(UpdateTest, AForcedUpdateBoxClosedByItsCaptionButtonLetsTheProgramCarryOn) {
  Announce("1.2.0", 2);
  Arrive(L"closebtn");
  EXPECT_TRUE(Seen().opened);
  EXPECT_TRUE(Opened().empty());
  EXPECT_FALSE(Quit());
}

TEST_P(UpdateTest, NoUpdateFlagMeansNoOffer) {
  Announce("1.2.0", 0);
  Arrive(L"ok_btn");
  EXPECT_FALSE(Seen().opened);
  EXPECT_TRUE(Opened().empty());
}

TEST_P(UpdateTest, TheOwnVersionIsNotOffered) {
  Announce("1.1.7", 1);
  Arrive(L"ok_btn");
  EXPECT_FALSE(Seen().opened);
}

TEST_P(UpdateTest, AnAddressThatIsNotAWebAddressIsNeverOpened) {
  Announce("1.2.0", 2);
  holder_.app_info().update_url = "file:///etc/passwd";
  Arrive(L"ok_btn");
  EXPECT_TRUE(Seen().opened);
  EXPECT_TRUE(Opened().empty());
  EXPECT_TRUE(Quit());
}

class LoginResultTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    holder_.last_message = "上课码不存在";  // UTF-8, as the service's replies are
    OpenMainWindow();
    StartEngine();
  }
  bool TipShown() const { return Visible(FloatTip()); }
  bool NoticeShown() const { return NoticeWindow() != nullptr && Visible(NoticeWindow()); }
};

TEST_P(LoginResultTest, TheLoginStepAloneChangesNothing) {
  Post(UM_LOGIN_RESULT, 0, 1);
  EXPECT_FALSE(TipShown());
  EXPECT_FALSE(NoticeShown());
  EXPECT_EQ(engine_.probe_starts, 0);
}

TEST_P(LoginResultTest, AFailedLoginStepShowsTheServicesTextAndStartsNoTest) {
  Post(UM_LOGIN_RESULT, 0, 0);
  ASSERT_TRUE(NoticeShown());
  EXPECT_EQ(NoticeText(), L"上课码不存在");
  EXPECT_EQ(GetWindow(NoticeWindow(), GW_OWNER), hwnd());
  EXPECT_EQ(engine_.probe_starts, 0);
  EXPECT_FALSE(TipShown());
}

TEST_P(LoginResultTest, AFailedAccessStepShowsTheServicesTextToo) {
  Post(UM_LOGIN_RESULT, 0, 1);
  Post(UM_LOGIN_RESULT, 1, 0);
  ASSERT_TRUE(NoticeShown());
  EXPECT_EQ(NoticeText(), L"上课码不存在");
  EXPECT_EQ(engine_.probe_starts, 0);
}

TEST_P(LoginResultTest, TheAccessStepStartsTheNetworkTestWithItsTipAtTheTop) {
  PassLogin();
  EXPECT_EQ(engine_.probe_starts, 1);
  EXPECT_EQ(engine_.bridge().TargetWindow(), hwnd());
  EXPECT_EQ(main().sample_count(), 0);
  ASSERT_TRUE(TipShown());
  EXPECT_EQ(CUiDriver::GetText(FloatTip(), L"tip_info").str(),
            Chinese() ? L"正在测试网络，请稍后..." : L"Network testing, please wait\u2026");
  const RECT main_rect = Rect(hwnd());
  const RECT tip = Rect(FloatTip());
  EXPECT_EQ(tip.top, main_rect.top + 33);
  EXPECT_EQ(tip.left, main_rect.left + (1080 - (tip.right - tip.left)) / 2);
  EXPECT_FALSE(NoticeShown());
}

using NetworkTest = LoginResultTest;

TEST_P(NetworkTest, FiveSamplesSummingToEighteenPassAndOpenTheClassroom) {
  PassLogin();
  SendSamples({4, 4, 4, 3, 3});
  EXPECT_EQ(engine_.probe_stops, 1);
  EXPECT_TRUE(main().in_classroom());
  EXPECT_FALSE(Visible(LoginView()));
  EXPECT_TRUE(Visible(MeetingView()));
  EXPECT_FALSE(TipShown());
  EXPECT_FALSE(NoticeShown());
  EXPECT_TRUE(CUiDriver::IsEnabled(LoginView(), L"class_code"));  // given back for later
}

TEST_P(NetworkTest, FiveSamplesSummingToNineteenFailWithTheNotice) {
  PassLogin();
  SendSamples({4, 4, 4, 4, 3});
  EXPECT_EQ(engine_.probe_stops, 1);
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(LoginView()));
  EXPECT_FALSE(TipShown());
  ASSERT_TRUE(NoticeShown());
  EXPECT_EQ(NoticeText(), Chinese() ? L"网络不稳定，不符合上课条件"
                                    : L"Network unstable, unable to proceed to lesson");
}

TEST_P(NetworkTest, ASixthSampleAlreadyQueuedIsDroppedAndChangesNothing) {
  PassLogin();
  for (int sample : {1, 2, 3, 4, 5, 6}) engine_.bridge().onLastmileQuality(sample);
  CUiDriver::Pump();
  EXPECT_EQ(main().sample_count(), 5);
  EXPECT_EQ(main().lastmile_samples(), (std::array<std::int32_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(engine_.probe_stops, 1);
  EXPECT_TRUE(main().in_classroom());  // sum 15
}

TEST_P(NetworkTest, ANewTestStartsFromNoSamples) {
  PassLogin();
  SendSamples({6, 6, 6, 6, 6});
  EXPECT_FALSE(main().in_classroom());
  PassLogin();
  EXPECT_EQ(main().sample_count(), 0);
  EXPECT_EQ(main().lastmile_samples(), (std::array<std::int32_t, 5>{}));
  SendSamples({1, 1, 1, 1, 1});
  EXPECT_TRUE(main().in_classroom());
}

TEST_P(NetworkTest, OtherEngineEventsDuringTheTestAreDroppedWithoutEffect) {
  PassLogin();
  engine_.bridge().onUserJoined(2002, 10);
  engine_.bridge().onNetworkQuality(0, 1, 1);
  engine_.bridge().onConnectionLost();
  CUiDriver::Pump();
  EXPECT_EQ(main().sample_count(), 0);
  EXPECT_FALSE(main().in_classroom());
}

TEST_P(NetworkTest, AFailedVerdictLeavesTheLoginViewLockedUntilItsNoticeEnds) {
  ASSERT_TRUE(CUiDriver::PressKey(LoginView(), L"class_code", 'A', ui::kModControl));
  ASSERT_TRUE(CUiDriver::PressKey(LoginView(), L"class_code", VK_DELETE));
  ASSERT_TRUE(CUiDriver::Type(LoginView(), L"class_code", L"204816"));
  ASSERT_TRUE(CUiDriver::Click(LoginView(), L"join_class"));
  EXPECT_EQ(logins_, std::vector<std::string>{"204816"});
  PassLogin();
  SendSamples({6, 6, 6, 6, 6});
  EXPECT_FALSE(CUiDriver::IsEnabled(LoginView(), L"class_code"));
  Advance(2999);
  EXPECT_FALSE(CUiDriver::IsEnabled(LoginView(), L"class_code"));
  Advance(1);
  EXPECT_TRUE(CUiDriver::IsEnabled(LoginView(), L"class_code"));
  EXPECT_TRUE(CUiDriver::IsEnabled(LoginView(), L"join_class"));
  EXPECT_FALSE(NoticeShown());
}

using CloseTest = LoginResultTest;

TEST_P(CloseTest, OutsideALessonClosingEndsTheLoop) {
  Post(WM_CLOSE);
  EXPECT_FALSE(IsWindow(hwnd()));
  int code = -1;
  EXPECT_TRUE(TakeQuit(&code));
  EXPECT_EQ(code, 0);
}

TEST_P(CloseTest, DuringALessonClosingAsksAndADeclineKeepsTheLesson) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  ASSERT_TRUE(main().in_classroom());
  AnswerNextBox(L"cancel_btn");
  Post(WM_CLOSE);
  EXPECT_TRUE(Seen().opened);
  EXPECT_TRUE(IsWindow(hwnd()));
  EXPECT_TRUE(main().in_classroom());
  int code = 0;
  EXPECT_FALSE(TakeQuit(&code));
}

TEST_P(CloseTest, DuringALessonAConfirmedCloseLeavesTheLessonButNeverClosesTheWindow) {
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
  AnswerNextBox(L"ok_btn");
  Post(WM_CLOSE);
  EXPECT_TRUE(Seen().opened);
  EXPECT_TRUE(IsWindow(hwnd()));
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(LoginView()));
  EXPECT_FALSE(Visible(MeetingView()));
  int code = 0;
  EXPECT_FALSE(TakeQuit(&code));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, StartTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, UpdateTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, LoginResultTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, NetworkTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });
INSTANTIATE_TEST_SUITE_P(BothSkins, CloseTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
