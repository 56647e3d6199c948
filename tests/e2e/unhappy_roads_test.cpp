// The roads that do not reach the classroom, in both languages: a wrong code, a network test
// that fails, a service that cannot be reached, an update offer, and a camera hotkey that
// another program holds. Each ends with the login view usable again.
#include <algorithm>
#include <string>

#include "base/text_conversion.h"
#include "tests/e2e/lesson_world.h"

using ui::CUiDriver;

namespace e2e {
namespace {

class UnhappyRoadTest : public LessonWorld, public ::testing::WithParamInterface<Language> {
 protected:
  WorldSetup Setup() const {
    WorldSetup setup;
    setup.language = GetParam();
    return setup;
  }

  // A notice is up with the login view's controls taken away; 3 s later both come back.
  void ExpectNoticeThenLoginView(const std::wstring& text, const std::string& shot) {
    ASSERT_TRUE(NoticeShown());
    EXPECT_EQ(NoticeText(), text);
    EXPECT_FALSE(main().in_classroom());
    EXPECT_FALSE(CUiDriver::IsEnabled(login_hwnd(), L"class_code"));
    Screenshot(shot);
    SkipTime(kNoticeDurationMs);
    EXPECT_FALSE(NoticeShown());
    EXPECT_TRUE(CUiDriver::IsEnabled(login_hwnd(), L"class_code"));
    EXPECT_TRUE(CUiDriver::IsEnabled(login_hwnd(), L"join_class"));
    EXPECT_TRUE(Visible(login_hwnd()));
  }

  bool Requested(const std::string& path) {
    const std::vector<std::string> paths = RequestPaths();
    return std::find(paths.begin(), paths.end(), path) != paths.end();
  }
};

TEST_P(UnhappyRoadTest, AWrongCodeShowsTheServicesTextAndGivesTheLoginViewBack) {
  Open(Setup());
  WaitForEngineReady();
  JoinWithCode("00000000");
  ASSERT_TRUE(WaitUntil([this] { return NoticeShown(); }, "the notice of the refused code"));
  EXPECT_FALSE(holder().last_message.empty());
  ExpectNoticeThenLoginView(Utf8ToWide(holder().last_message), "wrong_code");
  EXPECT_FALSE(Requested("/Meeting/studentAccess"));
  EXPECT_FALSE(TipShown());
}

TEST_P(UnhappyRoadTest, AFailingNetworkTestKeepsTheParticipantOut) {
  WorldSetup setup = Setup();
  setup.lastmile = "[4, 4, 4, 4, 3]";  // 19: one more than the worst that passes
  Open(setup);
  WaitForEngineReady();
  JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
  ASSERT_TRUE(WaitUntil([this] { return TipShown(); }, "the network test"));
  EXPECT_FALSE(RunNetworkTest());
  EXPECT_FALSE(TipShown());
  EXPECT_EQ(main().sample_count(), MainWindow::kSampleTotal);
  ExpectNoticeThenLoginView(
      chinese() ? L"网络不稳定，不符合上课条件" : L"Network unstable, unable to proceed to lesson",
      "network_test_failed");
  EXPECT_FALSE(Visible(WindowOfClass(L"QV-CONTROLBAR")));
}

TEST_P(UnhappyRoadTest, TheWorstNetworkThatPassesStillEntersTheClassroom) {
  WorldSetup setup = Setup();
  setup.lastmile = "[4, 4, 4, 3, 3]";  // 18
  Open(setup);
  WaitForEngineReady();
  JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
  ASSERT_TRUE(WaitUntil([this] { return TipShown(); }, "the network test"));
  EXPECT_TRUE(RunNetworkTest());
}

TEST_P(UnhappyRoadTest, AnUnreachableServiceStillStartsTheEngineAndRefusesTheJoin) {
  WorldSetup setup = Setup();
  setup.unreachable_service = true;
  Open(setup);
  WaitForEngineReady();
  // The engine runs with the id the program already had.
  EXPECT_EQ(media().engine_app_id, AnsiToWide(holder().settings().app_id));
  EXPECT_TRUE(store().Requests().empty());
  JoinWithCode(CodeOf(first_lesson(), Role::kTeacher));
  ASSERT_TRUE(WaitUntil([this] { return NoticeShown(); }, "the notice of the failed login"));
  EXPECT_FALSE(holder().last_message.empty());
  ExpectNoticeThenLoginView(Utf8ToWide(holder().last_message), "service_unreachable");
}

TEST_P(UnhappyRoadTest, AnOptionalUpdateIsOfferedAndLaterMeansCarryingOn) {
  WorldSetup setup = Setup();
  setup.config.new_version = "1.2.0";
  setup.config.update = 1;
  setup.config.update_message = "Quorvel 1.2.0 brings a new layout";
  setup.config.update_url = "https://example.org/quorvel";
  bool offered = false;
  OnNextModal([&](HWND box) {
    offered = true;
    EXPECT_EQ(Text(box, L"mb_msg"), L"Quorvel 1.2.0 brings a new layout");
    EXPECT_TRUE(ControlVisible(box, L"cancel_btn"));
    Screenshot("update_offer");
    EXPECT_TRUE(CUiDriver::Click(box, L"cancel_btn"));
  });
  Open(setup);
  WaitForEngineReady();
  EXPECT_TRUE(offered);
  EXPECT_TRUE(IsWindow(main_hwnd()));
  EXPECT_TRUE(Visible(login_hwnd()));
}

TEST_P(UnhappyRoadTest, AForcedUpdateHasNoLaterAndClosingItCarriesOn) {
  WorldSetup setup = Setup();
  setup.config.new_version = "1.2.0";
  setup.config.update = 2;
  setup.config.update_message = "This version is no longer served";
  bool offered = false;
  OnNextModal([&](HWND box) {
    offered = true;
    EXPECT_FALSE(ControlVisible(box, L"cancel_btn"));
    Screenshot("forced_update");
    EXPECT_TRUE(CUiDriver::Click(box, L"closebtn"));
  });
  Open(setup);
  WaitForEngineReady();
  EXPECT_TRUE(offered);
  EXPECT_TRUE(IsWindow(main_hwnd()));
}

TEST_P(UnhappyRoadTest, AnOlderAnnouncedVersionOffersNothing) {
  WorldSetup setup = Setup();
  setup.config.new_version = "1.1.1";  // the version of a program without its stamp is 1.1.2
  setup.config.update = 1;
  bool offered = false;
  OnNextModal([&](HWND box) {
    offered = true;
    CUiDriver::Click(box, L"cancel_btn");
  });
  Open(setup);
  WaitForEngineReady();
  EXPECT_FALSE(offered);
}

TEST_P(UnhappyRoadTest, AHotkeyTakenElsewhereIsReportedBeforeAnyLesson) {
  WorldSetup setup = Setup();
  setup.hotkey_taken = true;
  HWND box_seen = nullptr;
  OnNextModal([&](HWND box) {
    box_seen = box;
    Screenshot("hotkey_taken");
    EXPECT_TRUE(CUiDriver::Click(box, L"ok_btn"));
  });
  Open(setup);
  WaitForEngineReady();
  EXPECT_NE(box_seen, nullptr);
  EXPECT_FALSE(main().in_classroom());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, UnhappyRoadTest,
                         ::testing::Values(Language::kEnglish, Language::kChinese), LanguageName);

}  // namespace
}  // namespace e2e
