// Devices that fail under the whole program, in both languages: the camera in use unplugged in
// the middle of a lesson and plugged in again, the only microphone gone and back, a sound
// server's sink and source loaded and unloaded during a lesson, and each of
// the engine's device lists failing to open at the start, which ends the program behind the
// device error box before any login.
#include <win/headless.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/text_conversion.h"
#include "classroom/control_bar.h"
#include "classroom/meeting_view.h"
#include "service/data_holder.h"
#include "service/settings_file.h"
#include "tests/e2e/lesson_world.h"
#include "tests/platform/audio/private_sound_server.h"
#include "tests/support/quit_message.h"
#include "tests/support/needs.h"

using ui::CUiDriver;

namespace e2e {
namespace {

// The engine's device-state values as the meeting view writes them ("--> id state type").
constexpr int kStateActive = 1;
constexpr int kStateUnplugged = 8;
constexpr int kTypeSpeaker = 0;
constexpr int kTypeMicrophone = 1;
constexpr int kTypeCamera = 3;

std::string DeviceLine(const std::string& id, int state, int type) {
  return "--> " + id + " " + std::to_string(state) + " " + std::to_string(type);
}

std::string DeviceEvent(int at_ms, const char* device, bool plugged) {
  return "{\"at_ms\": " + std::to_string(at_ms) + ", \"device\": \"" + device +
         "\", \"plugged\": " + (plugged ? "true" : "false") + "}";
}

// The program's diagnostic lines from now until Take: with QUORVEL_DEBUG set they go to
// standard error, which is captured.
class Diagnostics {
 public:
  Diagnostics() : debug_(std::make_unique<testing_support::ScopedEnv>("QUORVEL_DEBUG", "1")) {
    testing::internal::CaptureStderr();
  }
  ~Diagnostics() {
    if (debug_) Take();
  }
  Diagnostics(const Diagnostics&) = delete;
  Diagnostics& operator=(const Diagnostics&) = delete;

  // Ends the capture; what was written.
  std::string Take() {
    if (!debug_) return {};
    debug_.reset();
    return testing::internal::GetCapturedStderr();
  }

 private:
  std::unique_ptr<testing_support::ScopedEnv> debug_;
};

// A lesson joined as the student, whose tile is the own one.
class DeviceLessonTest : public LessonWorld, public ::testing::WithParamInterface<Language> {
 protected:
  void OpenWithDeviceEvents(const std::vector<std::string>& events) {
    WorldSetup setup;
    setup.language = GetParam();
    std::string list;
    for (const std::string& event : events) list += (list.empty() ? "" : ", ") + event;
    setup.scenario_extra = [list](const CreatedLesson&) {
      return "\"device_events\": [" + list + "]";
    };
    Open(setup);
  }

  MeetingView& meeting() { return *main().meeting_view(); }
  HWND own_tile() { return meeting().student_tile()->GetHWND(); }

  void JoinAsStudent() {
    WaitForEngineReady();
    JoinWithCode(CodeOf(first_lesson(), Role::kStudent));
    ASSERT_TRUE(WaitUntil([this] { return TipShown() || NoticeShown(); }, "the network test"));
    ASSERT_TRUE(RunNetworkTest()) << testing::PrintToString(NoticeText());
    join_at_ = EngineNow();
    ASSERT_TRUE(WaitUntil(
        [this] { return meeting().student_tile() != nullptr && meeting().student_tile()->present; },
        "the own tile"));
    AdvanceEngineTo(join_at_ + kAssistantJoinMs + 200);
    ASSERT_TRUE(WaitUntil([this] { return OthersPresent(); }, "the other two"));
    ExpectLiveVideoInOwnTile("after the join");
  }

  bool OthersPresent() {
    return meeting().teacher_tile()->present && meeting().assistant_tile()->present;
  }

  void ExpectLessonGoesOn(const char* when) {
    EXPECT_TRUE(main().in_classroom()) << when;
    EXPECT_TRUE(meeting().in_lesson()) << when;
    EXPECT_TRUE(Visible(meeting_hwnd())) << when;
    EXPECT_FALSE(Visible(login_hwnd())) << when;
    EXPECT_TRUE(OthersPresent()) << when;
    EXPECT_FALSE(NoticeShown()) << when;
  }

  // The middle row of the tile's picture: the test pattern's bar crosses it, moving a step with
  // every frame.
  static std::vector<std::uint32_t> MiddleRow(HWND tile) {
    RECT client{};
    GetClientRect(tile, &client);
    std::vector<std::uint32_t> row;
    for (int x = 0; x < client.right; ++x) {
      row.push_back(win::headless::WindowPixel(tile, x, client.bottom / 2) & 0xFFFFFFu);
    }
    return row;
  }

  // A camera still being drawn: the row, not all black, changes twice in a row, which neither
  // a black tile nor a frozen last frame does. The engine draws at 15 frames a second of real
  // time, so this waits without moving the clocks, and the scenario stays where it is.
  void ExpectLiveVideoInOwnTile(const char* when) {
    const HWND tile = own_tile();
    ASSERT_TRUE(Visible(tile)) << when;
    auto lit = [](const std::vector<std::uint32_t>& row) {
      return std::any_of(row.begin(), row.end(), [](std::uint32_t pixel) { return pixel != 0; });
    };
    std::vector<std::uint32_t> last = MiddleRow(tile);
    int changes = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
          std::vector<std::uint32_t> now = MiddleRow(tile);
          if (lit(now) && lit(last) && now != last) ++changes;
          last = std::move(now);
          return changes >= 2;
        },
        "frames moving in the own tile"))
        << when;
  }

  // Moves time on until the meeting view has taken a fresh camera (or microphone) list of
  // count entries.
  void AdvanceUntilCameras(int count, const char* what) {
    AdvanceUntil([&] { return media().CameraCount() == count; }, what, 5000);
  }
  void AdvanceUntilMicrophones(int count, const char* what) {
    AdvanceUntil([&] { return media().MicrophoneCount() == count; }, what, 5000);
  }

  std::int64_t join_at_ = 0;
};

// The camera events: the one in use (cam-a) goes and comes back; then, with the other one chosen
// by the hotkey, that one goes and comes back.
constexpr int kFirstUnplugMs = 4000;
constexpr int kFirstReplugMs = 7000;
constexpr int kSecondUnplugMs = 10000;
constexpr int kSecondReplugMs = 13000;

TEST_P(DeviceLessonTest, TheCameraInUseUnpluggedGivesWayToTheOtherAndTheLessonGoesOn) {
  OpenWithDeviceEvents(
      {DeviceEvent(kFirstUnplugMs, "cam-a", false), DeviceEvent(kFirstReplugMs, "cam-a", true),
       DeviceEvent(kSecondUnplugMs, "cam-b", false), DeviceEvent(kSecondReplugMs, "cam-b", true)});
  ASSERT_NO_FATAL_FAILURE(JoinAsStudent());
  ASSERT_EQ(media().CurrentCamera(), L"cam-a");
  ASSERT_EQ(media().CameraCount(), 2);

  // Unplugged: the engine and the meeting view's list move to the document camera.
  AdvanceEngineTo(join_at_ + kFirstUnplugMs - 200);
  ASSERT_EQ(media().CameraCount(), 2);
  Diagnostics unplugged;
  AdvanceUntilCameras(1, "the camera list without the desk camera");
  const std::string unplugged_lines = unplugged.Take();
  EXPECT_NE(unplugged_lines.find(DeviceLine("cam-a", kStateUnplugged, kTypeCamera)),
            std::string::npos)
      << unplugged_lines;
  std::wstring name;
  std::wstring id;
  ASSERT_TRUE(media().CameraAt(0, name, id));
  EXPECT_EQ(id, L"cam-b");
  EXPECT_EQ(name, L"Document camera");
  EXPECT_EQ(media().CurrentCamera(), L"cam-b");
  ExpectLessonGoesOn("with the desk camera unplugged");
  ExpectLiveVideoInOwnTile("with the desk camera unplugged");
  Screenshot("camera_unplugged");

  // Plugged in again: both are listed, and the meeting view takes the first, the desk camera.
  Diagnostics plugged;
  AdvanceUntilCameras(2, "the camera list with the desk camera back");
  const std::string plugged_lines = plugged.Take();
  EXPECT_NE(plugged_lines.find(DeviceLine("cam-a", kStateActive, kTypeCamera)), std::string::npos)
      << plugged_lines;
  EXPECT_EQ(media().CurrentCamera(), L"cam-a");
  ExpectLessonGoesOn("with the desk camera back");
  ExpectLiveVideoInOwnTile("with the desk camera back");

  // The hotkey chooses the document camera; when that one goes the desk camera takes over, and
  // when it comes back the meeting view keeps to the first camera of the list.
  win::headless::PressKey('S', MOD_ALT);
  win::headless::ReleaseKey('S', MOD_ALT);
  CUiDriver::Pump();
  ASSERT_EQ(media().CurrentCamera(), L"cam-b");
  AdvanceEngineTo(join_at_ + kSecondUnplugMs - 200);
  ASSERT_EQ(media().CameraCount(), 2);
  AdvanceUntilCameras(1, "the camera list without the document camera");
  EXPECT_EQ(media().CurrentCamera(), L"cam-a");
  ExpectLiveVideoInOwnTile("with the document camera unplugged");
  AdvanceUntilCameras(2, "the camera list with the document camera back");
  EXPECT_EQ(media().CurrentCamera(), L"cam-a");
  ExpectLessonGoesOn("with the document camera back");
  ExpectLiveVideoInOwnTile("with the document camera back");
}

constexpr int kMicrophoneUnplugMs = 4000;
constexpr int kMicrophoneReplugMs = 7000;

TEST_P(DeviceLessonTest, TheOnlyMicrophoneUnpluggedAndPluggedAgainLeavesTheLessonRunning) {
  OpenWithDeviceEvents({DeviceEvent(kMicrophoneUnplugMs, "mic-a", false),
                        DeviceEvent(kMicrophoneReplugMs, "mic-a", true)});
  ASSERT_NO_FATAL_FAILURE(JoinAsStudent());
  ASSERT_EQ(media().CurrentMicrophone(), L"mic-a");
  ASSERT_EQ(media().MicrophoneCount(), 1);

  AdvanceEngineTo(join_at_ + kMicrophoneUnplugMs - 200);
  ASSERT_EQ(media().MicrophoneCount(), 1);
  Diagnostics unplugged;
  AdvanceUntilMicrophones(0, "an empty microphone list");
  const std::string unplugged_lines = unplugged.Take();
  EXPECT_NE(unplugged_lines.find(DeviceLine("mic-a", kStateUnplugged, kTypeMicrophone)),
            std::string::npos)
      << unplugged_lines;
  EXPECT_EQ(media().CurrentMicrophone(), L"");
  // Cameras are not touched by a microphone's event.
  EXPECT_EQ(media().CameraCount(), 2);
  EXPECT_EQ(media().CurrentCamera(), L"cam-a");
  ExpectLessonGoesOn("without a microphone");
  ExpectLiveVideoInOwnTile("without a microphone");
  Screenshot("microphone_unplugged");

  Diagnostics plugged;
  AdvanceUntilMicrophones(1, "the microphone listed again");
  const std::string plugged_lines = plugged.Take();
  EXPECT_NE(plugged_lines.find(DeviceLine("mic-a", kStateActive, kTypeMicrophone)),
            std::string::npos)
      << plugged_lines;
  EXPECT_EQ(media().CurrentMicrophone(), L"mic-a");
  ExpectLessonGoesOn("with the microphone back");

  // The lesson still ends the ordinary way.
  main().ShowControlBarIfHidden();
  CUiDriver::AnswerNextModal(L"ok_btn");
  ASSERT_TRUE(CUiDriver::Click(main().control_bar().GetHWND(), L"hangup"));
  EXPECT_FALSE(main().in_classroom());
  EXPECT_TRUE(Visible(login_hwnd()));
}

// The module's index for unloading it; empty (the test failing) when it would not load.
std::string LoadModule(const audio_test::PrivateSoundServer& sound, const std::string& module) {
  audio_test::PrivateSoundServer::PactlResult loaded = sound.Pactl("load-module " + module);
  EXPECT_TRUE(loaded.ok) << module << ": " << loaded.output;
  return loaded.ok ? loaded.output.substr(0, loaded.output.find_first_of("\r\n")) : "";
}

TEST_P(DeviceLessonTest, SoundDevicesLoadedDuringTheLessonAreReportedAndTheNewSourceTaken) {
  QUORVEL_NEEDS(audio_test::PrivateSoundServer::Installed(), "no PulseAudio daemon");
  audio_test::PrivateSoundServer sound;
  ASSERT_TRUE(sound.ready()) << sound.log();
  WorldSetup setup;
  setup.language = GetParam();
  setup.machine_devices = true;
  Open(setup);
  ASSERT_NO_FATAL_FAILURE(JoinAsStudent());
  ASSERT_EQ(media().CurrentMicrophone(), L"mic-a");

  // The machine's devices come first: the meeting view takes the new source.
  Diagnostics loaded;
  const std::string sink = LoadModule(sound, "module-null-sink sink_name=headset");
  const std::string source = LoadModule(sound, "module-null-source source_name=desk_mic");
  ASSERT_TRUE(WaitUntil(
      [&] {
        return media().MicrophoneCount() == 2 && media().CurrentMicrophone() == L"pulse:desk_mic";
      },
      "the new source as the microphone"));
  const std::string loaded_lines = loaded.Take();
  EXPECT_NE(loaded_lines.find(DeviceLine("pulse:headset", kStateActive, kTypeSpeaker)),
            std::string::npos)
      << loaded_lines;
  EXPECT_NE(loaded_lines.find(DeviceLine("pulse:desk_mic", kStateActive, kTypeMicrophone)),
            std::string::npos)
      << loaded_lines;
  ExpectLessonGoesOn("with the sound server's new devices");

  Diagnostics unloaded;
  ASSERT_TRUE(sound.Pactl("unload-module " + sink).ok);
  ASSERT_TRUE(sound.Pactl("unload-module " + source).ok);
  ASSERT_TRUE(WaitUntil(
      [&] { return media().MicrophoneCount() == 1 && media().CurrentMicrophone() == L"mic-a"; },
      "the desk microphone again"));
  const std::string unloaded_lines = unloaded.Take();
  EXPECT_NE(unloaded_lines.find(DeviceLine("pulse:headset", kStateUnplugged, kTypeSpeaker)),
            std::string::npos)
      << unloaded_lines;
  EXPECT_NE(unloaded_lines.find(DeviceLine("pulse:desk_mic", kStateUnplugged, kTypeMicrophone)),
            std::string::npos)
      << unloaded_lines;
  ExpectLessonGoesOn("with the sound server's devices gone");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DeviceLessonTest,
                         ::testing::Values(Language::kEnglish, Language::kChinese), LanguageName);

struct ListFault {
  const char* list;       // as the engine's configuration names it
  const wchar_t* button;  // that closes the box
  Language language;
};

void PrintTo(const ListFault& fault, std::ostream* out) {
  *out << fault.list << (fault.language == Language::kChinese ? " cn" : " en");
}

std::string ListFaultName(const ::testing::TestParamInfo<ListFault>& info) {
  return std::string(info.param.list) + (info.param.language == Language::kChinese ? "_cn" : "_en");
}

class DeviceListFaultTest : public LessonWorld, public ::testing::WithParamInterface<ListFault> {};

TEST_P(DeviceListFaultTest, AListThatCannotBeOpenedShowsTheBoxAndEndsTheProgramBeforeAnyLogin) {
  const ListFault fault = GetParam();
  WorldSetup setup;
  setup.language = fault.language;
  setup.engine_extra = std::string("\"unavailable_device_lists\": [\"") + fault.list + "\"]";
  int boxes = 0;
  std::wstring title;
  std::wstring message;
  HWND owner = nullptr;
  OnNextModal([&](HWND box) {
    ++boxes;
    title = Text(box, L"mb_title");
    message = Text(box, L"mb_msg");
    owner = GetWindow(box, GW_OWNER);
    Screenshot(std::string("device_list_failed_") + fault.list);
    EXPECT_TRUE(CUiDriver::Click(box, fault.button));
  });
  Open(setup);
  const HWND main_window = main_hwnd();
  ASSERT_TRUE(AdvanceUntil([&] { return boxes > 0 && !IsWindow(main_window); },
                           "the box, then the main window's end", 5000));

  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(owner, main_window);
  EXPECT_EQ(title, chinese() ? L"设备错误" : L"Device error");
  EXPECT_EQ(message, chinese() ? L"无法打开摄像头、麦克风或扬声器，请检查设备后重新启动程序。"
                               : L"The camera, microphone or speaker could not be opened. Check "
                                 L"your devices and start the program again.");
  int code = -1;
  EXPECT_TRUE(testing_support::TakeQuit(&code));
  EXPECT_EQ(code, 0);

  // The engine was started with the configured id; the lists were opened speakers first,
  // then microphones, then cameras, up to the one that failed.
  EXPECT_EQ(media().engine_app_id, AnsiToWide(store().Config().app_id));
  EXPECT_EQ(media().MicrophoneCount(), std::string(fault.list) == "cameras" ? 1 : 0);
  EXPECT_EQ(media().CameraCount(), 0);

  // Nothing more happens: no login view to type into, no request after the configuration's.
  SkipTime(5000);
  EXPECT_FALSE(IsWindow(login_hwnd()));
  EXPECT_EQ(RequestPaths(), std::vector<std::string>{"/init/getPCConfig"});

  // The settings written on the way out, as the holder does when the program ends, are read
  // back by the next start.
  SaveSettings(holder());
  DataHolder next_start;
  EXPECT_EQ(next_start.settings().app_id, store().Config().app_id);
  EXPECT_EQ(next_start.settings().hotkey, "Alt + S");
  EXPECT_EQ(next_start.settings().volume, 80);
}

INSTANTIATE_TEST_SUITE_P(EveryListBothLanguages, DeviceListFaultTest,
                         ::testing::Values(ListFault{"speakers", L"closebtn", Language::kEnglish},
                                           ListFault{"microphones", L"ok_btn", Language::kEnglish},
                                           ListFault{"cameras", L"ok_btn", Language::kEnglish},
                                           ListFault{"speakers", L"ok_btn", Language::kChinese},
                                           ListFault{"microphones", L"closebtn",
                                                     Language::kChinese},
                                           ListFault{"cameras", L"ok_btn", Language::kChinese}),
                         ListFaultName);

}  // namespace
}  // namespace e2e
