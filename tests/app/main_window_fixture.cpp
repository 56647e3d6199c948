#include "tests/app/main_window_fixture.h"

#include <win/headless.h>

#include <chrono>
#include <cstring>
#include <utility>

#include "base/app_messages.h"
#include "tests/support/quit_message.h"

using ::testing::_;
using ::testing::Invoke;
using ::testing::Return;
using ui::CUiDriver;

namespace main_window_test {

namespace {

// Seconds since 1970 that "now" shows in every test; the lesson starts a minute later.
constexpr std::int64_t kNow = 1'800'000'000;
constexpr UINT kAnswer = WM_USER + 901;
constexpr const wchar_t* kBoxClass = L"QV-MSGBOX";
// How long the watch looks for a box before it gives up: a watchdog, not a measure.
constexpr auto kBoxWatchLimit = std::chrono::seconds(10);

// A device collection's answer for index 0.
auto OneDevice(const char* name, const char* id) {
  return [name, id](int index, char* name_out, char* id_out) {
    if (index != 0) return -1;
    std::strcpy(name_out, name);
    std::strcpy(id_out, id);
    return 0;
  };
}

auto CurrentId(const char* id) {
  return [id](char* out) {
    std::strcpy(out, id);
    return 0;
  };
}

}  // namespace

ShellEngine* ShellEngine::current_ = nullptr;

rtc::IRtcEngine* ShellEngine::Factory() { return &current_->engine_; }

ShellEngine::ShellEngine() {
  current_ = this;
  ON_CALL(engine_, initialize(_)).WillByDefault(Invoke([this](const rtc::RtcEngineContext& c) {
    initialised_ids.emplace_back(c.appId != nullptr ? c.appId : "");
    return 0;
  }));
  ON_CALL(engine_, enableVideo()).WillByDefault(Invoke([this] {
    ++video_enables;
    return 0;
  }));
  ON_CALL(engine_, enableLastmileTest()).WillByDefault(Invoke([this] {
    ++probe_starts;
    return 0;
  }));
  ON_CALL(engine_, disableLastmileTest()).WillByDefault(Invoke([this] {
    ++probe_stops;
    return 0;
  }));
  ON_CALL(engine_, startScreenCapture(_, _, _, _)).WillByDefault(Invoke([this] {
    ++screen_captures;
    return 0;
  }));
  ON_CALL(engine_, queryInterface(rtc::IID_VIDEO_DEVICE_MANAGER, _))
      .WillByDefault(Invoke(media_test::HandOut(&video_)));
  ON_CALL(engine_, queryInterface(rtc::IID_AUDIO_DEVICE_MANAGER, _))
      .WillByDefault(Invoke(media_test::HandOut(&audio_)));
  ON_CALL(video_, enumerateVideoDevices()).WillByDefault(Invoke([this] {
    return cameras_fail ? nullptr : static_cast<rtc::IVideoDeviceCollection*>(&cameras_);
  }));
  ON_CALL(audio_, enumeratePlaybackDevices()).WillByDefault(Invoke([this] {
    return speakers_fail ? nullptr : static_cast<rtc::IAudioDeviceCollection*>(&speakers_);
  }));
  ON_CALL(audio_, enumerateRecordingDevices()).WillByDefault(Return(&microphones_));
  ON_CALL(video_, getDevice(_)).WillByDefault(Invoke([this](char* out) {
    std::strcpy(out, current_camera.c_str());
    return 0;
  }));
  ON_CALL(video_, setDevice(_)).WillByDefault(Invoke([this](const char* id) {
    selected_cameras.emplace_back(id);
    current_camera = id;
    return 0;
  }));
  ON_CALL(audio_, getRecordingDevice(_)).WillByDefault(Invoke(CurrentId("mic-a")));
  ON_CALL(cameras_, getCount()).WillByDefault(Invoke([this] { return camera_count; }));
  ON_CALL(cameras_, getDevice(_, _, _))
      .WillByDefault(Invoke([this](int index, char* name, char* id) {
        if (index == 1 && camera_count > 1)
          return OneDevice("Document camera", "cam-b")(0, name, id);
        return OneDevice("Desk camera", "cam-a")(index, name, id);
      }));
  ON_CALL(microphones_, getCount()).WillByDefault(Return(1));
  ON_CALL(microphones_, getDevice(_, _, _))
      .WillByDefault(Invoke(OneDevice("Desk microphone", "mic-a")));
  ON_CALL(speakers_, getCount()).WillByDefault(Return(1));
  ON_CALL(speakers_, getDevice(_, _, _)).WillByDefault(Invoke(OneDevice("Speakers", "spk-a")));
  media_ = std::make_unique<MediaEngine>(&ShellEngine::Factory, bridge_);
}

void MainWindowTest::SetUp() {
  ui_test::UseSkin(GetParam().archive);
  win::headless::ResetMonitors();
  win::headless::SetUnixTime(kNow);
  holder_.chinese_ui = Chinese();
  holder_.settings().app_id = "test-app-id";
  holder_.settings().hotkey.clear();
  AppInfo& info = holder_.app_info();
  info.current_version = "1.1.7";
  info.new_version = "1.1.7";
  info.update = 0;
  LessonRecord& lesson = holder_.lesson();
  lesson.user_type = "0";
  lesson.start_time = kNow + 60;
  lesson.duration = 1800;
  lesson.countdown = 300;
  lesson.forceclose = 120;

  answerer_ = std::make_unique<ui_test::LayoutWindow>(L"float_tip_wnd.xml", L"QvBoxAnswerer");
  answerer_->on_message = [this](UINT message, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (message != kAnswer) return LRESULT{0};
    const HWND box = FindWindowW(kBoxClass, nullptr);
    if (box == nullptr) return LRESULT{0};
    seen_.opened = true;
    seen_.message = CUiDriver::GetText(box, L"mb_msg").str();
    seen_.cancel_visible = CUiDriver::IsVisible(box, L"cancel_btn");
    if (!CUiDriver::Click(box, answer_button_.c_str())) PostMessageW(box, WM_CLOSE, 2, 0);
    return LRESULT{0};
  };
  answerer_->Open(nullptr, WS_POPUP);
}

void MainWindowTest::TearDown() {
  StopAnswering();
  main_.reset();
  if (answerer_) DestroyWindow(answerer_->GetHWND());
  answerer_.reset();
  CUiDriver::Pump();
  int code = 0;
  testing_support::TakeQuit(&code);
}

void MainWindowTest::OpenMainWindow() {
  MainWindowServices services{
      holder_,
      engine_.media(),
      engine_.bridge(),
      L"1.1.7",
      [this](DataHolder&) { ++config_requests_; },
      [this](DataHolder&, const std::string& code) { logins_.push_back(code); }};
  main_ = CreateMainWindow(std::move(services));
  CUiDriver::Pump();
}

HWND MainWindowTest::LoginView() const { return CUiDriver::FindWindowByClass(L"LoginView"); }

HWND MainWindowTest::MeetingView() const { return CUiDriver::FindWindowByClass(L"MeetingView"); }

void MainWindowTest::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  ASSERT_TRUE(PostMessageW(hwnd(), message, wParam, lParam));
  CUiDriver::Pump();
}

void MainWindowTest::Advance(int milliseconds) {
  win::headless::AdvanceClock(milliseconds);
  CUiDriver::Pump();
}

void MainWindowTest::AnswerNextBox(const wchar_t* button) {
  StopAnswering();
  answer_button_ = button;
  seen_ = BoxSeen{};
  stop_watch_ = false;
  const HWND answerer = answerer_->GetHWND();
  box_watch_ = std::thread([this, answerer] {
    const auto give_up = std::chrono::steady_clock::now() + kBoxWatchLimit;
    while (!stop_watch_ && std::chrono::steady_clock::now() < give_up) {
      if (FindWindowW(kBoxClass, nullptr) != nullptr) {
        PostMessageW(answerer, kAnswer, 0, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
}

void MainWindowTest::StopAnswering() {
  stop_watch_ = true;
  if (box_watch_.joinable()) box_watch_.join();
  CUiDriver::Pump();
}

const BoxSeen& MainWindowTest::Seen() {
  StopAnswering();
  return seen_;
}

void MainWindowTest::StartEngine() {
  Post(UM_CONFIG_DONE);
  Advance(500);
}

void MainWindowTest::PassLogin() {
  Post(UM_LOGIN_RESULT, 0, 1);
  Post(UM_LOGIN_RESULT, 1, 1);
}

void MainWindowTest::SendSamples(const std::vector<int>& samples) {
  for (int sample : samples) engine_.bridge().onLastmileQuality(sample);
  CUiDriver::Pump();
}

void MainWindowTest::EnterLesson() {
  StartEngine();
  PassLogin();
  SendSamples({1, 1, 1, 1, 1});
}

RECT MainWindowTest::Rect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

HWND MainWindowTest::NoticeWindow() const { return CUiDriver::FindWindowByClass(L"QV-OVERLAY"); }

HWND MainWindowTest::FloatTip() const { return CUiDriver::FindWindowByClass(L"FloatTipWnd"); }

std::wstring MainWindowTest::NoticeText() const {
  return CUiDriver::GetText(NoticeWindow(), L"overlay_info").str();
}

}  // namespace main_window_test
