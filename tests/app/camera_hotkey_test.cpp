// The camera-switch hotkey on the headless window system: the combination each stored text
// registers, as the keyboard then reaches it; what a refusal reports; the settings dialog's
// re-registration; and the switch between the engine's first two cameras.
#include "app/camera_hotkey.h"

#include <windows.h>
#include <ui/ui.h>
#include <win/headless.h>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "base/app_messages.h"
#include "base/text_conversion.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "service/settings_file.h"
#include "tests/platform/win/window_test_support.h"
#include "tests/support/scoped_env.h"

namespace {

using win_test::PumpPending;

constexpr UINT kF5Key = VK_F1 + 4;

// A main window that records the hotkeys it gets and the failures posted to it.
class HotkeyWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    win_test::RegisterTestClass(L"HotkeyTest");
    window_ = win_test::CreateTestWindow(
        L"HotkeyTest",
        [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
          if (m == WM_HOTKEY) hotkeys_.push_back(lp);
          if (m == UM_HOTKEY_FAILED) ++failures_;
          if (m == WM_HOTKEY && wp != static_cast<WPARAM>(HOTKEY_CAMERA_SWITCH)) ++foreign_ids_;
          return DefWindowProcW(w, m, wp, lp);
        },
        WS_POPUP | WS_VISIBLE);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    UnregisterCameraHotkey(window_);
    win_test::DestroyTestWindows();
  }

  // Presses and releases the combination; true when it arrived as the camera hotkey.
  bool Fires(UINT modifiers, UINT key) {
    hotkeys_.clear();
    win::headless::PressKey(key, modifiers);
    win::headless::ReleaseKey(key, modifiers);
    PumpPending();
    return hotkeys_.size() == 1 && LOWORD(static_cast<DWORD_PTR>(hotkeys_[0])) == modifiers &&
           HIWORD(static_cast<DWORD_PTR>(hotkeys_[0])) == key;
  }

  HWND window_ = nullptr;
  std::vector<LPARAM> hotkeys_;
  int failures_ = 0;
  int foreign_ids_ = 0;
};

struct TextCase {
  const char* text;
  UINT modifier;  // without MOD_NOREPEAT
  UINT key;
};

const TextCase kTexts[] = {
    {"Alt + S", MOD_ALT, 0x53},
    {"ctrl+1", MOD_CONTROL, 0x31},
    {"S", 0, 0x53},
    {"Ctrl + Shift + A", MOD_CONTROL | MOD_SHIFT, 0x41},
    {"Alt + F5", MOD_ALT, kF5Key},
    {"  win+   q  ", MOD_WIN, 0x51},
    {"shift + 0", MOD_SHIFT, 0x30},
    {"ALT+ctrl +sHiFt+ WIN + page  down", MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN, VK_NEXT},
    {"F24", 0, VK_F24},
};

TEST(HotkeyText, EachTextNamesItsModifiersWithoutRepeatAndItsKey) {
  for (const TextCase& c : kTexts) {
    const std::optional<HotkeyCombination> combination = ParseHotkeyText(c.text);
    ASSERT_TRUE(combination) << c.text;
    EXPECT_EQ(combination->modifiers, c.modifier | MOD_NOREPEAT) << c.text;
    EXPECT_EQ(combination->virtual_key, c.key) << c.text;
  }
}

TEST(HotkeyText, ATextWithoutAKeyNamesNothing) {
  for (const char* text : {"", "   ", "Alt +", "Ctrl +   ", "+", "Alt + F99999999999", "F25",
                           "Hyper + K", "Ctrl + A + B", "Alt + \xE4\xB8\xAD", "Ctrl++A"}) {
    EXPECT_FALSE(ParseHotkeyText(text)) << '"' << text << '"';
  }
}

TEST_F(HotkeyWindow, EachStoredTextRegistersTheCombinationTheKeyboardThenReaches) {
  for (const TextCase& c : kTexts) {
    RegisterHotkeyText(window_, c.text);
    EXPECT_TRUE(Fires(c.modifier, c.key)) << c.text;
  }
  EXPECT_EQ(failures_, 0);
  EXPECT_EQ(foreign_ids_, 0);
}

TEST_F(HotkeyWindow, OnlyTheRegisteredCombinationFires) {
  RegisterHotkeyText(window_, "Ctrl + Shift + A");
  EXPECT_FALSE(Fires(MOD_CONTROL, 'A'));
  EXPECT_TRUE(Fires(MOD_CONTROL | MOD_SHIFT, 'A'));
  RegisterHotkeyText(window_, "S");
  EXPECT_FALSE(Fires(MOD_ALT, 'S'));
  EXPECT_TRUE(Fires(0, 'S'));
}

TEST_F(HotkeyWindow, ANewTextReplacesTheOldCombination) {
  RegisterHotkeyText(window_, "Alt + S");
  RegisterHotkeyText(window_, "ctrl+1");
  EXPECT_FALSE(Fires(MOD_ALT, 'S'));
  EXPECT_TRUE(Fires(MOD_CONTROL, '1'));
}

TEST_F(HotkeyWindow, ATextWithoutAKeyKeepsTheOldCombinationAndReportsNothing) {
  RegisterHotkeyText(window_, "Alt + S");
  RegisterHotkeyText(window_, "");
  RegisterHotkeyText(window_, "Alt + ");
  RegisterHotkeyText(window_, "Alt + F99999999999");
  RegisterHotkeyText(window_, "Alt + \xE4\xB8\xAD");  // a Chinese character, on no keyboard
  PumpPending();
  EXPECT_TRUE(Fires(MOD_ALT, 'S'));
  EXPECT_EQ(failures_, 0);
}

TEST_F(HotkeyWindow, ACombinationTakenElsewherePostsTheFailureAndLeavesNoHotkey) {
  RegisterHotkeyText(window_, "Alt + S");
  win::headless::TakeHotKeyElsewhere(MOD_SHIFT, 'T');
  RegisterHotkeyText(window_, "Shift + T");
  PumpPending();
  EXPECT_EQ(failures_, 1);
  EXPECT_FALSE(Fires(MOD_ALT, 'S'));  // the old one was let go first
  win::headless::TakeHotKeyElsewhere(MOD_SHIFT, 'T', false);
}

TEST_F(HotkeyWindow, TheSettingsDialogsChoiceTakesAllItsModifiersAndARefusalGoesBack) {
  struct ControlCase {
    WPARAM flags;
    UINT modifier;
    UINT key;
  };
  const ControlCase cases[] = {{4 | 2 | 1, MOD_ALT | MOD_CONTROL | MOD_SHIFT, 'K'},
                               {2 | 1, MOD_CONTROL | MOD_SHIFT, 'L'},
                               {1, MOD_SHIFT, 'M'},
                               {0, 0, 'N'},
                               {4, MOD_ALT, kF5Key}};
  std::optional<HotkeyCombination> registered;
  for (const ControlCase& c : cases) {
    registered =
        RegisterHotkeyFromControl(window_, c.flags, static_cast<LPARAM>(c.key), registered);
    EXPECT_TRUE(Fires(c.modifier, c.key)) << c.flags << " " << c.key;
  }
  EXPECT_FALSE(Fires(MOD_ALT | MOD_CONTROL | MOD_SHIFT, 'K'));  // each replaced the one before
  EXPECT_EQ(failures_, 0);
  win::headless::TakeHotKeyElsewhere(MOD_CONTROL | MOD_NOREPEAT, 'U');
  registered = RegisterHotkeyFromControl(window_, 2, 'U', registered);
  PumpPending();
  EXPECT_EQ(failures_, 1);
  EXPECT_TRUE(Fires(MOD_ALT, kF5Key));
  ASSERT_TRUE(registered);
  EXPECT_EQ(registered->virtual_key, kF5Key);
  win::headless::TakeHotKeyElsewhere(MOD_CONTROL | MOD_NOREPEAT, 'U', false);
}

// Every combination the settings dialog's field can capture, as its text through app.conf and
// a restart, registers what the dialog registered when it was picked.
TEST_F(HotkeyWindow, EveryCombinationTheFieldCapturesComesBackAfterARestart) {
  testing_support::ScopedUserProfile profile;
  std::vector<WORD> keys = {VK_SPACE, VK_RETURN, VK_TAB,  VK_ESCAPE, VK_INSERT, VK_HOME,
                            VK_END,   VK_PRIOR,  VK_NEXT, VK_LEFT,   VK_RIGHT,  VK_UP,
                            VK_DOWN,  VK_DELETE, VK_BACK, 0xBA,      0xDE};  // the last two shown
                                                                             // by number
  for (WORD key = 'A'; key <= 'Z'; ++key) keys.push_back(key);
  for (WORD key = '0'; key <= '9'; ++key) keys.push_back(key);
  for (WORD key = VK_F1; key <= VK_F24; ++key) keys.push_back(key);
  ui::CHotKeyUI field;
  for (WORD flags = 0; flags <= (ui::kModShift | ui::kModControl | ui::kModAlt); ++flags) {
    for (WORD key : keys) {
      field.SetHotKey(key, flags);
      {
        DataHolder dialog_side;
        dialog_side.settings().hotkey = WideToAnsi(field.GetText().str());
        SaveSettings(dialog_side);
      }
      const UINT modifiers =
          RegisterHotkeyFromControl(window_, flags, key, std::nullopt)->modifiers;
      DataHolder restarted;
      const std::optional<HotkeyCombination> combination =
          RegisterHotkeyText(window_, restarted.settings().hotkey);
      ASSERT_TRUE(combination) << restarted.settings().hotkey;
      EXPECT_EQ(combination->modifiers, modifiers) << restarted.settings().hotkey;
      EXPECT_EQ(combination->virtual_key, key) << restarted.settings().hotkey;
      EXPECT_TRUE(Fires(modifiers & ~MOD_NOREPEAT, key)) << restarted.settings().hotkey;
    }
  }
  EXPECT_EQ(failures_, 0);
}

TEST_F(HotkeyWindow, UnregisteringFreesTheCombination) {
  RegisterHotkeyText(window_, "Alt + S");
  UnregisterCameraHotkey(window_);
  EXPECT_FALSE(Fires(MOD_ALT, 'S'));
  HWND other = win_test::CreateTestWindow(L"HotkeyTest", nullptr);
  EXPECT_TRUE(RegisterHotKey(other, 1, MOD_ALT, 'S'));
  UnregisterHotKey(other, 1);
}

// An engine whose only cameras are the configured virtual ones.
class Cameras : public ::testing::Test {
 protected:
  void UseCameras(const std::string& cameras_json) {
    const auto config = folder_.path() / "rtc.json";
    std::ofstream(config) << R"({"channel": "simulated", "real_devices": false, "cameras": )"
                          << cameras_json << "}";
    env_ = std::make_unique<testing_support::ScopedEnv>("QUORVEL_RTC_CONFIG", config.string());
    media_ = std::make_unique<MediaEngine>(createRtcEngine, bridge_);
    media_->Initialize(L"app-id");
  }

  testing_support::TempDir folder_;
  std::unique_ptr<testing_support::ScopedEnv> env_;
  CAGEngineEventHandler bridge_;
  std::unique_ptr<MediaEngine> media_;
};

constexpr const char* kThreeCameras =
    R"([{"id": "cam-a", "name": "A"}, {"id": "cam-b", "name": "B"}, {"id": "cam-c", "name": "C"}])";

TEST_F(Cameras, TheHotkeyAlternatesBetweenTheFirstTwoAndComesToTheFirstFromAnyOther) {
  UseCameras(kThreeCameras);
  ASSERT_TRUE(media_->OpenCameraList());
  ASSERT_TRUE(media_->SelectCamera(L"cam-c"));
  EXPECT_TRUE(SwitchCamera(*media_));
  EXPECT_EQ(media_->CurrentCamera(), L"cam-a");
  EXPECT_TRUE(media_->video_enabled);  // video was restarted on the new camera
  SwitchCamera(*media_);
  EXPECT_EQ(media_->CurrentCamera(), L"cam-b");
  SwitchCamera(*media_);
  EXPECT_EQ(media_->CurrentCamera(), L"cam-a");
}

TEST_F(Cameras, OneCameraIsLeftAloneAndVideoUntouched) {
  UseCameras(R"([{"id": "cam-a", "name": "A"}])");
  ASSERT_TRUE(media_->OpenCameraList());
  EXPECT_FALSE(SwitchCamera(*media_));
  EXPECT_EQ(media_->CurrentCamera(), L"cam-a");
  EXPECT_FALSE(media_->video_enabled);
}

TEST_F(Cameras, WithoutACameraListNothingHappens) {
  UseCameras(kThreeCameras);
  SwitchCamera(*media_);
  EXPECT_FALSE(media_->video_enabled);
}

TEST_F(Cameras, APressOfTheStoredCombinationSwitchesTheCamera) {
  UseCameras(kThreeCameras);
  ASSERT_TRUE(media_->OpenCameraList());
  ASSERT_TRUE(media_->SelectCamera(L"cam-a"));
  win_test::RegisterTestClass(L"CameraHotkeyTest");
  HWND window = win_test::CreateTestWindow(L"CameraHotkeyTest",
                                           [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                                             if (m == WM_HOTKEY) SwitchCamera(*media_);
                                             return DefWindowProcW(w, m, wp, lp);
                                           });
  RegisterHotkeyText(window, "Alt + S");
  win::headless::PressKey('S', MOD_ALT);
  win::headless::ReleaseKey('S', MOD_ALT);
  EXPECT_TRUE(win_test::RunLoopUntil([this] { return media_->CurrentCamera() == L"cam-b"; }));
  UnregisterCameraHotkey(window);
  win_test::DestroyTestWindows();
}

}  // namespace
