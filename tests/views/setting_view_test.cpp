// The settings dialog on both real skins over the real engine and a real sound server: the
// devices it selects by id, what a camera, mirror or microphone change does in the engine and
// tells the main window, the system volume under the slider, the shortcut field's posts, what
// app.conf holds once it closes, its modal results, layouts that lack controls, screenshots.
#include "views/setting_view.h"

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/app_messages.h"
#include "tests/views/setting_view_fixture.h"
#include "views/system_volume.h"

using settings_test::SettingViewTest;
using ui::CUiDriver;

namespace {

constexpr int kMirrorOn = 0;
constexpr int kMirrorOff = 1;

TEST_P(SettingViewTest, OpeningSelectsTheEnginesDevicesByIdAmongSameNamedOnes) {
  ASSERT_TRUE(media_->SelectCamera(L"cam-usb-1"));
  ASSERT_TRUE(media_->SelectMicrophone(L"mic-desk"));
  OpenDialog();
  EXPECT_EQ(ItemCount(L"camera_device"), 3);
  EXPECT_EQ(Selection(L"camera_device"), 1);  // not the later camera of the same name
  EXPECT_EQ(Text(L"camera_device"), L"USB camera");
  EXPECT_EQ(ItemCount(L"audin_device"), 2);
  EXPECT_EQ(Selection(L"audin_device"), 1);
  EXPECT_EQ(Text(L"audin_device"), L"Desk microphone");
}

TEST_P(SettingViewTest, TheSecondOfTwoSameNamedCamerasIsSelectedWhenItIsTheCurrentOne) {
  ASSERT_TRUE(media_->SelectCamera(L"cam-usb-2"));
  OpenDialog();
  EXPECT_EQ(Selection(L"camera_device"), 2);
}

TEST_P(SettingViewTest, FillingTheListsChangesNothingInTheEngineAndPostsNothing) {
  ASSERT_TRUE(media_->SelectCamera(L"cam-usb-2"));
  holder_.settings().mirror_mode = true;
  OpenDialog();
  EXPECT_EQ(Selection(L"mirror_mode"), kMirrorOn);
  EXPECT_EQ(MirrorSetting(), "");
  EXPECT_FALSE(media_->video_enabled);
  EXPECT_TRUE(posted_.empty());
}

TEST_P(SettingViewTest, TheMirrorListShowsTheSavedModeInTheSkinsWording) {
  holder_.settings().mirror_mode = false;
  OpenDialog();
  EXPECT_EQ(ItemCount(L"mirror_mode"), 2);
  EXPECT_EQ(Selection(L"mirror_mode"), kMirrorOff);
  EXPECT_EQ(Text(L"mirror_mode"), Chinese() ? L"关闭镜像" : L"Mirror off");
}

TEST_P(SettingViewTest, TheDialogIsOwnedByTheMainWindowAndCentredOverIt) {
  OpenDialog();
  EXPECT_EQ(GetWindow(dialog(), GW_OWNER), main_window_);
  RECT rect{};
  GetWindowRect(dialog(), &rect);
  EXPECT_EQ(rect.right - rect.left, 400);
  EXPECT_EQ(rect.bottom - rect.top, 430);
  EXPECT_EQ((rect.left + rect.right) / 2, 100 + 1080 / 2);
  EXPECT_EQ((rect.top + rect.bottom) / 2, 50 + 675 / 2);
}

TEST_P(SettingViewTest, ChangingOnlyTheMirrorReappliesTheSelectedCameraAndTellsTheOwner) {
  ASSERT_TRUE(media_->SelectCamera(L"cam-usb-2"));
  holder_.settings().mirror_mode = false;
  OpenDialog();
  ASSERT_TRUE(media_->SelectCamera(L"cam-desk"));  // the engine moved on behind the dialog
  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"mirror_mode", kMirrorOn));
  CUiDriver::Pump();
  EXPECT_EQ(MirrorSetting(), "forceMirror");
  EXPECT_EQ(media_->CurrentCamera(), L"cam-usb-2");
  EXPECT_TRUE(media_->video_enabled);
  ASSERT_EQ(CountPosted(UM_CAMERA_RESTARTED), 1);
  EXPECT_EQ(posted_[0].wParam, 0u);
  EXPECT_EQ(posted_[0].lParam, 0);

  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"mirror_mode", kMirrorOff));
  CUiDriver::Pump();
  EXPECT_EQ(MirrorSetting(), "disableMirror");
  EXPECT_EQ(CountPosted(UM_CAMERA_RESTARTED), 2);
}

TEST_P(SettingViewTest, PickingACameraSelectsItByPositionRestartsVideoAndTellsTheOwner) {
  ASSERT_TRUE(media_->SelectCamera(L"cam-desk"));
  holder_.settings().mirror_mode = true;
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"camera_device", 2));
  CUiDriver::Pump();
  EXPECT_EQ(media_->CurrentCamera(), L"cam-usb-2");
  EXPECT_TRUE(media_->video_enabled);
  EXPECT_EQ(MirrorSetting(), "forceMirror");  // as the mirror list shows
  EXPECT_EQ(CountPosted(UM_CAMERA_RESTARTED), 1);
  EXPECT_EQ(CountPosted(UM_HOTKEY_CHANGED), 0);
}

TEST_P(SettingViewTest, PickingAMicrophoneSelectsItAndRestartsAudioWithoutTellingAnyone) {
  ASSERT_TRUE(media_->SelectMicrophone(L"mic-desk"));
  media_->EnableAudio(false);
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"audin_device", 0));
  CUiDriver::Pump();
  EXPECT_EQ(media_->CurrentMicrophone(), L"mic-headset");
  EXPECT_TRUE(media_->audio_enabled);
  EXPECT_TRUE(posted_.empty());
}

TEST_P(SettingViewTest, TheSliderStartsAtTheSystemVolume) {
  ASSERT_EQ(SetSystemVolume(62), 0);
  OpenDialog();
  EXPECT_EQ(SliderValue(), 62);
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 47.5%").ok);
  CloseWith(L"cancel_btn");
  OpenDialog();
  EXPECT_EQ(SliderValue(), 47);  // whole percents, cut off
}

TEST_P(SettingViewTest, DraggingTheSliderSetsTheSystemVolumeAndCancelKeepsItEverywhere) {
  ASSERT_EQ(SetSystemVolume(80), 0);
  OpenDialog();
  ASSERT_TRUE(CUiDriver::MoveSlider(dialog(), L"volume_slider", 35));
  ASSERT_EQ(SliderValue(), 35);
  EXPECT_EQ(server_->DefaultSinkPercents(), "35% 35%");
  EXPECT_EQ(holder_.settings().volume, 35);
  CloseWith(L"cancel_btn");
  EXPECT_EQ(GetSystemVolume(), 35);
  EXPECT_EQ(SavedSettings().volume, 35);
}

TEST_P(SettingViewTest, WithoutAReadableSystemVolumeTheSliderShowsTheSavedOne) {
  server_.reset();  // nothing to ask any more
  holder_.settings().volume = 55;
  OpenDialog();
  EXPECT_EQ(SliderValue(), 55);
  CloseWith(L"ok_btn");
  EXPECT_EQ(SavedSettings().volume, 55);
}

TEST_P(SettingViewTest, TheShortcutFieldShowsTheSavedShortcut) {
  holder_.settings().hotkey = "Ctrl + 7";
  OpenDialog();
  EXPECT_EQ(Text(L"switch_camera_hotykey"), L"Ctrl + 7");
  EXPECT_TRUE(posted_.empty());
}

TEST_P(SettingViewTest, CtrlShiftAIsPostedToTheMainWindowInTheFieldsForm) {
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", 'A',
                                     ui::kModControl | ui::kModShift));
  CUiDriver::Pump();
  EXPECT_EQ(Text(L"switch_camera_hotykey"), L"Ctrl + Shift + A");
  ASSERT_EQ(CountPosted(UM_HOTKEY_CHANGED), 1);
  EXPECT_EQ(posted_[0].wParam, static_cast<WPARAM>(ui::kModShift | ui::kModControl));
  EXPECT_EQ(posted_[0].lParam, 'A');
  EXPECT_EQ(holder_.settings().hotkey, "Alt + S");  // saved only on closing
}

TEST_P(SettingViewTest, AClearedFieldOrOneShowingOnlyModifiersPostsNothing) {
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", VK_BACK, 0));
  CUiDriver::Pump();
  EXPECT_EQ(Text(L"switch_camera_hotykey"), L"");
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", VK_CONTROL,
                                     ui::kModControl | ui::kModAlt));
  CUiDriver::Pump();
  EXPECT_NE(Text(L"switch_camera_hotykey"), L"");
  EXPECT_EQ(CountPosted(UM_HOTKEY_CHANGED), 0);
}

TEST_P(SettingViewTest, OkWritesVolumeMirrorAndShortcutAsTheDialogShowedThem) {
  ASSERT_EQ(SetSystemVolume(80), 0);
  holder_.settings().mirror_mode = false;
  OpenDialog();
  ASSERT_TRUE(CUiDriver::MoveSlider(dialog(), L"volume_slider", 45));
  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"mirror_mode", kMirrorOn));
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", 'A',
                                     ui::kModControl | ui::kModShift));
  const int shown_volume = SliderValue();
  const std::wstring shown_hotkey = Text(L"switch_camera_hotykey");
  CloseWith(L"ok_btn");
  const LocalSettings saved = SavedSettings();
  EXPECT_EQ(saved.volume, shown_volume);
  EXPECT_EQ(shown_volume, 45);
  EXPECT_TRUE(saved.mirror_mode);
  EXPECT_EQ(saved.hotkey, "Ctrl + Shift + A");
  EXPECT_EQ(shown_hotkey, L"Ctrl + Shift + A");
  EXPECT_EQ(holder_.settings().hotkey, "Ctrl + Shift + A");
}

TEST_P(SettingViewTest, TheCloseButtonSavesLikeTheOthers) {
  holder_.settings().mirror_mode = true;
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"mirror_mode", kMirrorOff));
  CloseWith(L"close_btn");
  EXPECT_FALSE(SavedSettings().mirror_mode);
  std::ifstream file(std::filesystem::path(surroundings_.folder().path()) / "Quorvel" / "app.conf");
  EXPECT_TRUE(file.good());
}

TEST_P(SettingViewTest, AFieldThatNamesNoKeyLeavesTheSavedShortcutInPlace) {
  holder_.settings().hotkey = "Ctrl + 1";
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", VK_BACK, 0));
  CloseWith(L"ok_btn");
  EXPECT_EQ(SavedSettings().hotkey, "Ctrl + 1");
}

// The modal run as the meeting view makes it, answered by one button each time.
TEST_P(SettingViewTest, TheModalRunEndsWithOneAfterOkAndTwoAfterCancelOrClose) {
  const struct {
    const wchar_t* button;
    UINT result;
  } answers[] = {{L"ok_btn", 1}, {L"cancel_btn", 2}, {L"close_btn", 2}};
  for (const auto& answer : answers) {
    auto* view = new SettingView(holder_, *media_);
    ASSERT_NE(
        view->Create(meeting_view_, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 400, 430),
        nullptr);
    view->CenterWindow();
    CUiDriver::AnswerNextModal(answer.button);
    EXPECT_EQ(view->ShowModal(), answer.result) << answer.button;
    EXPECT_EQ(CUiDriver::FindWindowByClass(L"SettingView"), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main_window_));
  }
}

// Enter is the OK button and Esc the cancel button, from the shortcut field too; Enter on a
// focused button is that button.
TEST_P(SettingViewTest, TheModalRunEndsWithOneAfterEnterAndTwoAfterEsc) {
  const struct {
    const wchar_t* focus;
    UINT key;
    UINT result;
  } answers[] = {{nullptr, VK_RETURN, 1},
                 {nullptr, VK_ESCAPE, 2},
                 {L"switch_camera_hotykey", VK_RETURN, 1},
                 {L"switch_camera_hotykey", VK_ESCAPE, 2},
                 {L"cancel_btn", VK_RETURN, 2}};
  for (const auto& answer : answers) {
    auto* view = new SettingView(holder_, *media_);
    const HWND window =
        view->Create(meeting_view_, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 400, 430);
    ASSERT_NE(window, nullptr);
    if (answer.focus != nullptr) CUiDriver::FindControl(window, answer.focus)->SetFocus();
    CUiDriver::AnswerNextModalByKey(answer.key);
    EXPECT_EQ(view->ShowModal(), answer.result) << answer.key;
  }
  EXPECT_EQ(SavedSettings().hotkey, "Alt + S");  // neither key was taken as a shortcut
}

TEST_P(SettingViewTest, TabReachesTheCameraListWhoseArrowsAndEnterChangeTheCameraOnce) {
  ASSERT_TRUE(media_->SelectCamera(L"cam-desk"));
  OpenDialog();
  for (int i = 0; i < 3; ++i) SendMessageW(dialog(), WM_KEYDOWN, VK_TAB, 0);
  ASSERT_EQ(CUiDriver::FindControl(dialog(), L"camera_device"),
            CUiDriver::ManagerOf(dialog())->GetFocus());
  const std::string shot = std::string("setting_view_focus_") + GetParam().language;
  EXPECT_TRUE(CUiDriver::SaveScreenshot(dialog(), shell_test::ScreenshotPath(shot)));
  for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN}) SendMessageW(dialog(), WM_KEYDOWN, key, 0);
  EXPECT_EQ(CountPosted(UM_CAMERA_RESTARTED), 0);
  SendMessageW(dialog(), WM_KEYDOWN, VK_RETURN, 0);
  CUiDriver::Pump();
  EXPECT_EQ(media_->CurrentCamera(), L"cam-usb-2");
  EXPECT_EQ(CountPosted(UM_CAMERA_RESTARTED), 1);
  EXPECT_TRUE(DialogOpen());
}

TEST_P(SettingViewTest, ACombinationTheDesktopRefusedGivesWayToTheOneBefore) {
  holder_.settings().hotkey = "Alt + S";
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", 'K', ui::kModControl));
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", 'J', ui::kModControl));
  PostMessageW(dialog(), UM_HOTKEY_REFUSED, 0, 0);  // as the main window answers Ctrl + J
  CUiDriver::Pump();
  EXPECT_EQ(Text(L"switch_camera_hotykey"), L"Ctrl + K");
  CloseWith(L"ok_btn");
  EXPECT_EQ(SavedSettings().hotkey, "Ctrl + K");
}

// A bare letter or digit would be taken from every program; a function key alone is not.
TEST_P(SettingViewTest, ABareKeyIsRefusedInTheDialogAndTheShortcutStays) {
  holder_.settings().hotkey = "S";  // stored by an older version: shown and kept
  OpenDialog();
  EXPECT_EQ(Text(L"switch_camera_hotykey"), L"S");
  for (UINT key : {UINT{'K'}, UINT{'7'}, UINT{VK_SPACE}}) {
    ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", key, 0));
    CUiDriver::Pump();
    EXPECT_EQ(Text(L"switch_camera_hotykey"), L"S");
    EXPECT_TRUE(CUiDriver::FindControl(dialog(), L"hotkey_refused")->IsVisible());
    EXPECT_FALSE(CUiDriver::FindControl(dialog(), L"hotkey_hint")->IsVisible());
  }
  EXPECT_EQ(CountPosted(UM_HOTKEY_CHANGED), 0);
  EXPECT_TRUE(CUiDriver::SaveScreenshot(
      dialog(),
      shell_test::ScreenshotPath(std::string("setting_view_refused_") + GetParam().language)));
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", VK_F1 + 7, 0));
  CUiDriver::Pump();
  EXPECT_EQ(CountPosted(UM_HOTKEY_CHANGED), 1);
  EXPECT_FALSE(CUiDriver::FindControl(dialog(), L"hotkey_refused")->IsVisible());
  CloseWith(L"ok_btn");
  EXPECT_EQ(SavedSettings().hotkey, "F8");
}

TEST_P(SettingViewTest, Screenshot) {
  ASSERT_TRUE(media_->SelectCamera(L"cam-usb-1"));
  ASSERT_TRUE(media_->SelectMicrophone(L"mic-headset"));
  ASSERT_EQ(SetSystemVolume(70), 0);
  holder_.settings().mirror_mode = true;
  OpenDialog();
  EXPECT_TRUE(CUiDriver::SaveScreenshot(
      dialog(), shell_test::ScreenshotPath(std::string("setting_view_") + GetParam().language)));
  ASSERT_TRUE(CUiDriver::PressHotKey(dialog(), L"switch_camera_hotykey", 'A',
                                     ui::kModControl | ui::kModShift));
  dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(dialog(), L"camera_device"))->OpenDropDown();
  EXPECT_TRUE(shell_test::SaveScreen(std::string("setting_view_open_list_") + GetParam().language));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SettingViewTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

// Layouts of the test's own, read from a folder, each lacking controls the dialog looks for.
class SparseLayoutTest : public SettingViewTest {
 protected:
  void UseLayout(const std::string& body) {
    std::ofstream(std::filesystem::path(folder_.path()) / "setting_view.xml")
        << R"(<?xml version="1.0" encoding="utf-8"?><Window size="400,430"><VerticalLayout>)"
        << body << "</VerticalLayout></Window>";
    ui::CPaintManagerUI::SetResourcePath((folder_.path().wstring() + L"/").c_str());
    ui::CPaintManagerUI::SetResourceZip(L"");
  }

  testing_support::TempDir folder_;
};

TEST_P(SparseLayoutTest, AnEmptyLayoutOpensAndClosesWithoutTouchingAnything) {
  UseLayout("");
  holder_.settings().volume = 42;
  OpenDialog();
  ASSERT_TRUE(DialogOpen());
  EXPECT_TRUE(posted_.empty());
  EXPECT_FALSE(media_->video_enabled);
}

TEST_P(SparseLayoutTest, OnlyAMicrophoneListAndCancelStillWorkAndSaveTheRestUnchanged) {
  UseLayout(R"(<Combo name="audin_device" height="30"/><Button name="cancel_btn" height="30"/>)");
  holder_.settings().volume = 42;
  holder_.settings().hotkey = "Ctrl + 9";
  holder_.settings().mirror_mode = true;
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"audin_device", 1));
  EXPECT_EQ(media_->CurrentMicrophone(), L"mic-desk");
  CloseWith(L"cancel_btn");
  const LocalSettings saved = SavedSettings();
  EXPECT_EQ(saved.volume, 42);
  EXPECT_EQ(saved.hotkey, "Ctrl + 9");
  EXPECT_TRUE(saved.mirror_mode);
}

TEST_P(SparseLayoutTest, ACameraListWithoutAMirrorListKeepsTheSavedMirrorMode) {
  UseLayout(R"(<Combo name="camera_device" height="30"/><Button name="ok_btn" height="30"/>)");
  holder_.settings().mirror_mode = true;
  OpenDialog();
  ASSERT_TRUE(CUiDriver::PickItem(dialog(), L"camera_device", 1));
  CUiDriver::Pump();
  EXPECT_EQ(media_->CurrentCamera(), L"cam-usb-1");
  EXPECT_EQ(MirrorSetting(), "forceMirror");
  EXPECT_EQ(CountPosted(UM_CAMERA_RESTARTED), 1);
  CloseWith(L"ok_btn");
}

INSTANTIATE_TEST_SUITE_P(Folder, SparseLayoutTest,
                         ::testing::Values(shell_test::Skin{L"", "folder"}),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
