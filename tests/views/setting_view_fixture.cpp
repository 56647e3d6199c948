#include "tests/views/setting_view_fixture.h"

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <fstream>

#include "rtc/rtc_parameter.h"
#include "tests/platform/ui/ui_test_support.h"
#include "tests/platform/win/window_test_support.h"
#include "tests/support/needs.h"
#include "views/setting_view.h"

using ui::CUiDriver;

namespace settings_test {

namespace {

std::string WriteEngineConfig(const testing_support::TempDir& folder) {
  const auto path = folder.path() / "rtc.json";
  std::ofstream(path) << kDevices;
  return path.string();
}

}  // namespace

Surroundings::Surroundings()
    : config_home_("XDG_CONFIG_HOME", folder_.path().string()),
      rtc_config_("QUORVEL_RTC_CONFIG", WriteEngineConfig(folder_)) {}

void SettingViewTest::SetUp() {
  QUORVEL_NEEDS(audio_test::PrivateSoundServer::Installed(), "no PulseAudio daemon");
  server_ = std::make_unique<audio_test::PrivateSoundServer>();
  ASSERT_TRUE(server_->ready()) << server_->log();
  ui_test::UseSkin(GetParam().archive);
  holder_.chinese_ui = Chinese();

  media_ = std::make_unique<MediaEngine>(createRtcEngine, bridge_);
  media_->Initialize(L"app-id");
  ASSERT_TRUE(media_->OpenCameraList());
  ASSERT_TRUE(media_->OpenMicrophoneList());

  win_test::RegisterTestClass(L"SettingsMainStandIn");
  main_window_ = win_test::CreateTestWindow(
      L"SettingsMainStandIn",
      [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message >= WM_USER) posted_.push_back({message, wParam, lParam});
        return DefWindowProcW(window, message, wParam, lParam);
      },
      WS_POPUP | WS_VISIBLE, 100, 50, 1080, 675);
  meeting_view_ = win_test::CreateTestWindow(L"SettingsMainStandIn", nullptr, WS_CHILD | WS_VISIBLE,
                                             0, 32, 1080, 643, main_window_);
  holder_.main_window = main_window_;
}

void SettingViewTest::TearDown() {
  if (DialogOpen()) DestroyWindow(dialog_);
  CUiDriver::Pump();
  win_test::DestroyTestWindows();
  media_.reset();
}

void SettingViewTest::OpenDialog() {
  auto* view = new SettingView(holder_, *media_);
  dialog_ =
      view->Create(meeting_view_, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 400, 430);
  ASSERT_NE(dialog_, nullptr);
  view->CenterWindow();
  CUiDriver::Layout(dialog_);
  CUiDriver::Pump();
}

void SettingViewTest::CloseWith(const wchar_t* button) {
  ASSERT_TRUE(CUiDriver::Click(dialog_, button));
  CUiDriver::Pump();
  ASSERT_FALSE(DialogOpen());
}

std::wstring SettingViewTest::Text(const wchar_t* name) const {
  return CUiDriver::GetText(dialog_, name).str();
}

int SettingViewTest::Selection(const wchar_t* list) const {
  return dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(dialog_, list))->GetCurSel();
}

int SettingViewTest::ItemCount(const wchar_t* list) const {
  return dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(dialog_, list))->GetCount();
}

int SettingViewTest::SliderValue() const {
  return dynamic_cast<ui::CSliderUI*>(CUiDriver::FindControl(dialog_, L"volume_slider"))
      ->GetValue();
}

std::string SettingViewTest::MirrorSetting() {
  void* found = nullptr;
  if (media_->Engine()->queryInterface(rtc::IID_RTC_ENGINE_PARAMETER, &found) != 0) return {};
  auto* parameters = static_cast<rtc::IRtcEngineParameter*>(found);
  char value[64] = {};
  parameters->getString("che.video.localViewMirrorSetting", value, sizeof value);
  parameters->release();
  return value;
}

int SettingViewTest::CountPosted(UINT message) const {
  int count = 0;
  for (const Posted& post : posted_) count += post.message == message ? 1 : 0;
  return count;
}

LocalSettings SettingViewTest::SavedSettings() const {
  DataHolder fresh;
  return fresh.settings();
}

}  // namespace settings_test
