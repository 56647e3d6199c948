// The settings dialog as a lesson opens it: an owned pop-up of the meeting view (a child of a
// stand-in main window that records what is posted to it), built from the real skin archive of
// the test's parameter, over the real engine with virtual cameras and microphones, a sound
// server of the test's own and a settings folder of its own.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "tests/widgets/shell_window_support.h"
#include "tests/platform/audio/private_sound_server.h"
#include "tests/support/scoped_env.h"

namespace settings_test {

struct Posted {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Two cameras of one model (only their ids tell them apart) and a third, two microphones.
constexpr const char* kDevices = R"({"real_devices": false,
  "cameras": [{"id": "cam-desk", "name": "Desk camera"},
              {"id": "cam-usb-1", "name": "USB camera"},
              {"id": "cam-usb-2", "name": "USB camera"}],
  "microphones": [{"id": "mic-headset", "name": "Headset microphone"},
                  {"id": "mic-desk", "name": "Desk microphone"}]})";

// The settings folder, the engine's configuration and the sound server, in place before the
// data holder reads the settings and before the engine starts.
class Surroundings {
 public:
  Surroundings();
  const testing_support::TempDir& folder() const { return folder_; }

 private:
  testing_support::TempDir folder_;
  testing_support::ScopedEnv config_home_;
  testing_support::ScopedEnv rtc_config_;
};

class SettingViewTest : public ::testing::TestWithParam<shell_test::Skin> {
 protected:
  void SetUp() override;
  void TearDown() override;
  bool Chinese() const { return std::string(GetParam().language) == "cn"; }

  // Creates the dialog as the meeting view does, without its modal loop, so that the test
  // drives it; it deletes itself once its window is gone.
  void OpenDialog();
  bool DialogOpen() const { return dialog_ != nullptr && IsWindow(dialog_) != FALSE; }
  HWND dialog() const { return dialog_; }
  // Clicks one of the closing buttons and lets the dialog go.
  void CloseWith(const wchar_t* button);

  std::wstring Text(const wchar_t* name) const;
  int Selection(const wchar_t* list) const;
  int ItemCount(const wchar_t* list) const;
  int SliderValue() const;
  // The engine's mirror parameter: "forceMirror", "disableMirror", ...
  std::string MirrorSetting();
  int CountPosted(UINT message) const;
  // The values a fresh start would read from app.conf.
  LocalSettings SavedSettings() const;

  Surroundings surroundings_;
  audio_test::NoSoundServer fallback_;
  std::unique_ptr<audio_test::PrivateSoundServer> server_;
  DataHolder holder_;
  CAGEngineEventHandler bridge_;
  std::unique_ptr<MediaEngine> media_;
  HWND main_window_ = nullptr;
  HWND meeting_view_ = nullptr;
  std::vector<Posted> posted_;  // to the main window

 private:
  HWND dialog_ = nullptr;
};

}  // namespace settings_test
