// The login view on both real skins, a child of a stand-in main window: the lesson-code rule
// and the join button, the device lists, the messages that give the controls back, the
// version label, the keyboard, and screenshots.
#include "views/login_view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "base/app_messages.h"
#include "tests/views/login_view_fixture.h"

using login_test::LoginViewTest;
using ui::CUiDriver;

namespace {

constexpr const wchar_t* kRed = L"#ffe5393b";
constexpr const wchar_t* kGrey = L"#ff333333";

TEST(LessonCodeRule, TheEnglishPlaceholderCountsOnlyInItsExactCase) {
  EXPECT_FALSE(IsLessonCodeValid(L"Please input lesson code"));
  EXPECT_TRUE(IsLessonCodeValid(L"please input lesson code"));
  EXPECT_TRUE(IsLessonCodeValid(L"PLEASE INPUT LESSON CODE"));
}

TEST(LessonCodeRule, TheChinesePlaceholderAndTheEmptyTextNeverCount) {
  EXPECT_FALSE(IsLessonCodeValid(L"请输入上课码"));
  EXPECT_FALSE(IsLessonCodeValid(L""));
  EXPECT_TRUE(IsLessonCodeValid(L"请输入上课码 "));
  EXPECT_TRUE(IsLessonCodeValid(L"8"));
}

class LoginViewSkinTest : public LoginViewTest {
 protected:
  void SetUp() override {
    LoginViewTest::SetUp();
    devices_.cameras.plugged = {{"Desk camera", "cam-a"}, {"Document camera", "cam-b"}};
    devices_.cameras.current = "cam-a";
    devices_.microphones.plugged = {{"Headset microphone", "mic-a"}, {"Desk microphone", "mic-b"}};
    devices_.microphones.current = "mic-b";
    OpenView(L"1.1.7");
  }
};

TEST_P(LoginViewSkinTest, TheFieldShowsItsLanguagesPlaceholderAndTheButtonStartsGreyAndDisabled) {
  EXPECT_EQ(Text(L"class_code"), Chinese() ? L"请输入上课码" : L"Please input lesson code");
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  EXPECT_FALSE(Enabled(L"join_class"));
  EXPECT_EQ(JoinColour(), kGrey);
}

TEST_P(LoginViewSkinTest, TheButtonTurnsRedAtTheFirstValidTextAndGreyWhenEmptiedAgain) {
  ClearCode();
  EXPECT_FALSE(Enabled(L"join_class"));
  ASSERT_TRUE(CUiDriver::Type(view(), L"class_code", L"7"));
  EXPECT_TRUE(Enabled(L"join_class"));
  EXPECT_EQ(JoinColour(), kRed);
  ASSERT_TRUE(CUiDriver::PressKey(view(), L"class_code", VK_DELETE));  // caret at the end
  ASSERT_TRUE(CUiDriver::PressKey(view(), L"class_code", VK_LEFT));
  ASSERT_TRUE(CUiDriver::PressKey(view(), L"class_code", VK_DELETE));
  EXPECT_EQ(Text(L"class_code"), L"");
  EXPECT_FALSE(Enabled(L"join_class"));
  EXPECT_EQ(JoinColour(), kGrey);
}

TEST_P(LoginViewSkinTest, TypingTheEnglishPlaceholderInLowerCaseEnablesJoin) {
  TypeCode(L"please input lesson code");
  EXPECT_TRUE(Enabled(L"join_class"));
  TypeCode(L"Please input lesson code");
  EXPECT_FALSE(Enabled(L"join_class"));
  TypeCode(L"请输入上课码");
  EXPECT_FALSE(Enabled(L"join_class"));
}

TEST_P(LoginViewSkinTest, EngineReadyFillsBothListsAndSelectsTheCurrentDevices) {
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  EXPECT_EQ(Selection(L"camera_device"), 0);
  EXPECT_EQ(Text(L"camera_device"), L"Desk camera");
  EXPECT_EQ(Selection(L"audin_device"), 1);
  EXPECT_EQ(Text(L"audin_device"), L"Desk microphone");
}

TEST_P(LoginViewSkinTest, EngineReadyWithAValidCodeEnablesJoin) {
  TypeCode(L"A1B2");
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  EXPECT_TRUE(Enabled(L"join_class"));
  EXPECT_EQ(JoinColour(), kRed);
}

TEST_P(LoginViewSkinTest, OpeningEitherListRefreshesBoth) {
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  devices_.cameras.plugged.push_back({"USB camera", "cam-c"});
  devices_.microphones.plugged.push_back({"USB microphone", "mic-c"});
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"audin_device", 2));
  EXPECT_EQ(ItemCount(L"camera_device"), 3);
  EXPECT_EQ(Selection(L"camera_device"), 0);  // still the one it showed

  devices_.cameras.plugged.push_back({"Fourth camera", "cam-d"});
  devices_.microphones.plugged.push_back({"Fourth microphone", "mic-d"});
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"camera_device", 3));
  EXPECT_EQ(ItemCount(L"audin_device"), 4);
  EXPECT_EQ(Text(L"audin_device"), L"USB microphone");
}

TEST_P(LoginViewSkinTest, AnUnpluggedShownCameraGivesWayToTheEnginesCurrentOne) {
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"camera_device", 1));
  ASSERT_EQ(Text(L"camera_device"), L"Document camera");
  devices_.cameras.plugged = {{"Desk camera", "cam-a"}, {"USB camera", "cam-c"}};
  devices_.cameras.current = "cam-c";
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"audin_device", 0));
  EXPECT_EQ(Selection(L"camera_device"), 1);
  EXPECT_EQ(Text(L"camera_device"), L"USB camera");
}

TEST_P(LoginViewSkinTest, ThePickedCameraStaysPickedWhenTheCurrentOneComesLaterInTheList) {
  devices_.cameras.current = "cam-b";
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  ASSERT_EQ(Text(L"camera_device"), L"Document camera");
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"camera_device", 0));
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"audin_device", 0));
  EXPECT_EQ(Selection(L"camera_device"), 0);
  EXPECT_EQ(Text(L"camera_device"), L"Desk camera");
}

// Two cameras of one model: the one picked stays picked through refills, wherever it moves.
TEST_P(LoginViewSkinTest, ThePickedOfTwoSameNamedCamerasStaysPickedByItsId) {
  devices_.cameras.plugged = {{"USB camera", "cam-usb-1"}, {"USB camera", "cam-usb-2"}};
  devices_.cameras.current = "cam-usb-2";
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"camera_device", 0));
  EXPECT_EQ(Selection(L"camera_device"), 0);  // the pick's own refill kept it
  devices_.cameras.plugged.insert(devices_.cameras.plugged.begin(), {"Desk camera", "cam-a"});
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"audin_device", 0));
  EXPECT_EQ(Selection(L"camera_device"), 1);
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::Click(view(), L"join_class"));
  EXPECT_EQ(devices_.cameras.selected.back(), "cam-usb-1");
}

TEST_P(LoginViewSkinTest, WithNeitherTheShownDeviceNorTheCurrentIdTheListKeepsNoSelection) {
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  devices_.cameras.plugged = {{"USB camera", "cam-c"}};
  devices_.cameras.current = "cam-gone";
  view_object()->RefreshDeviceLists();
  EXPECT_EQ(Selection(L"camera_device"), -1);
  EXPECT_EQ(Text(L"camera_device"), L"");
}

TEST_P(LoginViewSkinTest, JoinStartsTheLoginSelectsTheDevicesAndLocksTheControls) {
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  ASSERT_TRUE(CUiDriver::PickItem(view(), L"camera_device", 1));
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::Click(view(), L"join_class"));
  ASSERT_EQ(logins_.size(), 1u);
  EXPECT_EQ(logins_[0], "QV-2024");
  EXPECT_EQ(devices_.cameras.selected, std::vector<std::string>{"cam-b"});
  EXPECT_EQ(devices_.microphones.selected, std::vector<std::string>{"mic-b"});
  for (const wchar_t* name : {L"class_code", L"camera_device", L"audin_device", L"join_class"}) {
    EXPECT_FALSE(Enabled(name)) << name;
  }
  EXPECT_EQ(JoinColour(), kGrey);
}

TEST_P(LoginViewSkinTest, JoinWithEmptyListsSelectsEmptyIds) {
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::Click(view(), L"join_class"));
  EXPECT_EQ(devices_.cameras.selected, std::vector<std::string>{""});
  EXPECT_EQ(devices_.microphones.selected, std::vector<std::string>{""});
}

TEST_P(LoginViewSkinTest, AFailedLoginWithAnEmptiedFieldGivesTheButtonBackEnabledButGrey) {
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::Click(view(), L"join_class"));
  dynamic_cast<ui::CEditUI*>(CUiDriver::FindControl(view(), L"class_code"))->SetText(L"");
  Post(UM_NOTICE_CLOSED);
  for (const wchar_t* name : {L"class_code", L"camera_device", L"audin_device", L"join_class"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  EXPECT_EQ(JoinColour(), kGrey);
}

TEST_P(LoginViewSkinTest, AFailedLoginWithTheCodeKeptGivesTheButtonBackRed) {
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::Click(view(), L"join_class"));
  Post(UM_NOTICE_CLOSED);
  EXPECT_TRUE(Enabled(L"join_class"));
  EXPECT_EQ(JoinColour(), kRed);
}

TEST_P(LoginViewSkinTest, OnlyAPassedNetworkTestGivesTheControlsBack) {
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::Click(view(), L"join_class"));
  Post(UM_NETWORK_TEST_RESULT, 0);
  EXPECT_FALSE(Enabled(L"class_code"));
  EXPECT_FALSE(Enabled(L"join_class"));
  Post(UM_NETWORK_TEST_RESULT, 1);
  for (const wchar_t* name : {L"class_code", L"camera_device", L"audin_device", L"join_class"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  EXPECT_EQ(JoinColour(), kRed);
}

TEST_P(LoginViewSkinTest, TheVersionLabelNamesTheVersionInTheSkinsLanguage) {
  EXPECT_EQ(Text(L"app_version"), Chinese() ? L"版本 beta 1.1.7" : L"Version beta 1.1.7");
}

TEST_P(LoginViewSkinTest, TheCodeFieldHasTheKeyboardWhenShownAndShownAgain) {
  EXPECT_EQ(FocusedName(), L"class_code");
  ShowWindow(view(), SW_HIDE);
  CUiDriver::FindControl(view(), L"camera_device")->SetFocus();
  ASSERT_EQ(FocusedName(), L"camera_device");
  ShowWindow(view(), SW_SHOW);
  CUiDriver::Pump();
  EXPECT_EQ(FocusedName(), L"class_code");
}

TEST_P(LoginViewSkinTest,
       TheFirstKeyReplacesThePlaceholderWhetherTheFieldHadTheKeyboardOrIsClicked) {
  const std::wstring placeholder = Text(L"class_code");
  ASSERT_TRUE(CUiDriver::Type(view(), L"class_code", L"12345678"));
  EXPECT_EQ(Text(L"class_code"), L"12345678");
  ui::CControlUI* field = CUiDriver::FindControl(view(), L"class_code");
  field->SetText(placeholder.c_str());
  CUiDriver::FindControl(view(), L"camera_device")->SetFocus();
  ASSERT_TRUE(CUiDriver::Click(view(), L"class_code"));
  ASSERT_TRUE(CUiDriver::Type(view(), L"class_code", L"876"));
  EXPECT_EQ(Text(L"class_code"), L"876");
  // A click in the field that has the keyboard places the caret.
  const RECT& pos = field->GetPos();
  ASSERT_TRUE(CUiDriver::ClickAt(view(), POINT{pos.left + 2, (pos.top + pos.bottom) / 2}));
  ASSERT_TRUE(CUiDriver::Type(view(), L"class_code", L"0"));
  EXPECT_EQ(Text(L"class_code"), L"0876");
}

TEST_P(LoginViewSkinTest, EnterInTheFieldJoinsOnlyWhileTheButtonIsEnabled) {
  ClearCode();
  ASSERT_TRUE(CUiDriver::PressKey(view(), L"class_code", VK_RETURN));
  EXPECT_TRUE(logins_.empty());
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::PressKey(view(), L"class_code", VK_RETURN));
  ASSERT_EQ(logins_.size(), 1u);
  EXPECT_EQ(logins_[0], "QV-2024");
  EXPECT_FALSE(Enabled(L"join_class"));
}

TEST_P(LoginViewSkinTest, EnterOnAnotherControlDoesNotJoin) {
  TypeCode(L"QV-2024");
  ASSERT_TRUE(CUiDriver::PressKey(view(), L"camera_device", VK_RETURN));
  EXPECT_TRUE(logins_.empty());
}

TEST_P(LoginViewSkinTest, Screenshots) {
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("login_view_start")));
  TypeCode(L"QV-2024");
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("login_view")));
}

// Twelve cameras, one with a name longer than the closed box: the pop-up scrolls to the last
// and the closed box shows the long name whole on hover.
TEST_P(LoginViewSkinTest, ManyCamerasScrollAndALongNameShowsWholeOnHover) {
  const std::string long_name = Chinese()
                                    ? "教室前方高清摄像头（左侧，带麦克风阵列）第二代"
                                    : "Front classroom camera, left side, with microphone array";
  devices_.cameras.plugged.clear();
  for (int i = 1; i <= 12; ++i) {
    devices_.cameras.plugged.push_back(
        {i == 12 ? long_name : "Camera " + std::to_string(i), "cam-" + std::to_string(i)});
  }
  devices_.cameras.current = "cam-12";
  Post(UM_ENGINE_READY, TIMER_ENGINE_START);
  ASSERT_TRUE(CUiDriver::Hover(view(), L"camera_device"));
  win::headless::AdvanceClock(500);
  CUiDriver::Pump();
  EXPECT_EQ(CUiDriver::ToolTipText(view()).str(), Text(L"camera_device"));
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("login_view_tooltip")));
  ASSERT_TRUE(CUiDriver::Click(view(), L"camera_device"));
  EXPECT_TRUE(CUiDriver::DropDownShows(view(), L"camera_device", 11));
  ASSERT_TRUE(CUiDriver::ScrollDropDown(view(), L"camera_device", 1));
  EXPECT_FALSE(CUiDriver::DropDownShows(view(), L"camera_device", 11));
  EXPECT_TRUE(shell_test::SaveScreen(ShotName("login_view_scrolled_list")));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, LoginViewSkinTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

class LoginViewWithoutVersionTest : public LoginViewTest {};

TEST_P(LoginViewWithoutVersionTest, TheVersionLabelKeepsTheLayoutsText) {
  OpenView(L"");
  EXPECT_EQ(Text(L"app_version"), Chinese() ? L"Quorvel 在线课堂" : L"Quorvel Online Classroom");
}

TEST_P(LoginViewWithoutVersionTest, AListOpenedBeforeTheEngineIsReadyStaysEmpty) {
  devices_.cameras.plugged = {{"Desk camera", "cam-a"}};
  const std::unique_ptr<MediaEngine> unopened = devices_.UnopenedMedia();
  OpenView(L"", *unopened);
  ASSERT_TRUE(CUiDriver::Click(view(), L"camera_device"));
  CUiDriver::Pump();
  EXPECT_EQ(ItemCount(L"camera_device"), 0);
  EXPECT_EQ(Selection(L"camera_device"), -1);
  EXPECT_EQ(ItemCount(L"audin_device"), 0);
  DestroyView();  // before the engine handle it uses
}

// A skin archive that is missing, or is no archive, leaves the view empty; the program goes on.
TEST_P(LoginViewWithoutVersionTest, AnUnreadableSkinLeavesTheViewEmptyAndEveryMessageHarmless) {
  const std::string folder = ::testing::TempDir();
  std::ofstream(folder + "/orbs.garbage") << "no zip archive";
  for (const wchar_t* archive : {L"orbs.missing", L"orbs.garbage"}) {
    ui::CPaintManagerUI::SetResourcePath(std::wstring(folder.begin(), folder.end()).c_str());
    ui::CPaintManagerUI::SetResourceZip(archive, false, nullptr);
    ::testing::internal::CaptureStderr();
    OpenView(L"1.1.7");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("login_view.xml"), std::string::npos) << said;
    EXPECT_EQ(CUiDriver::FindControl(view(), L"class_code"), nullptr);
    for (UINT message : {UM_ENGINE_READY, UM_NOTICE_CLOSED, UM_NETWORK_TEST_RESULT})
      Post(message, 1);
    SendMessageW(view(), WM_KEYDOWN, VK_RETURN, 0);
    ShowWindow(view(), SW_HIDE);
    ShowWindow(view(), SW_SHOW);
    EXPECT_TRUE(logins_.empty());
    DestroyView();
  }
  std::remove((folder + "/orbs.garbage").c_str());
}

INSTANTIATE_TEST_SUITE_P(BothSkins, LoginViewWithoutVersionTest,
                         ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
