// The main window as the program builds it, from the real skin archive of the test's language,
// over a data holder of the test's own and an engine whose device lists and probe the test
// controls. The request workers are replaced by recorders: the test posts their completion
// messages itself, after writing the holder as a worker would.
#pragma once

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "tests/widgets/shell_window_support.h"
#include "tests/media/mock_engine.h"

namespace main_window_test {

// An engine with one speaker, one microphone and one or two cameras, whose lists can be made to
// fail, and which counts what the main window asks of it.
class ShellEngine {
 public:
  ShellEngine();
  MediaEngine& media() { return *media_; }
  CAGEngineEventHandler& bridge() { return bridge_; }

  bool speakers_fail = false;
  bool cameras_fail = false;
  int camera_count = 1;  // "cam-a", then "cam-b"
  std::string current_camera = "cam-a";
  std::vector<std::string> selected_cameras;
  std::vector<std::string> initialised_ids;
  int video_enables = 0;
  int probe_starts = 0;
  int probe_stops = 0;
  int screen_captures = 0;

 private:
  static rtc::IRtcEngine* Factory();
  static ShellEngine* current_;

  ::testing::NiceMock<media_test::MockRtcEngine> engine_;
  ::testing::NiceMock<media_test::MockVideoManager> video_;
  ::testing::NiceMock<media_test::MockVideoCollection> cameras_;
  ::testing::NiceMock<media_test::MockAudioManager> audio_;
  ::testing::NiceMock<media_test::MockAudioCollection> speakers_;
  ::testing::NiceMock<media_test::MockAudioCollection> microphones_;
  CAGEngineEventHandler bridge_;
  std::unique_ptr<MediaEngine> media_;
};

// What a box showed when it was answered.
struct BoxSeen {
  bool opened = false;
  std::wstring message;
  bool cancel_visible = false;
};

class MainWindowTest : public ::testing::TestWithParam<shell_test::Skin> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the window; the holder's fields the test wants at creation are set before.
  void OpenMainWindow();
  MainWindow& main() { return *main_; }
  HWND hwnd() const { return main_->GetHWND(); }
  HWND LoginView() const;
  HWND MeetingView() const;
  bool Chinese() const { return std::string(GetParam().language) == "cn"; }
  std::string ShotName(const std::string& what) const { return what + "_" + GetParam().language; }

  // Posts to the main window and dispatches what follows, timers due included.
  void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void Advance(int milliseconds);
  // The next message box to open (within the dispatching that follows) is answered with a
  // click on button; Seen tells what it showed, and stops waiting for a box. A box whose
  // button cannot be clicked is closed instead, so that no test hangs on it.
  void AnswerNextBox(const wchar_t* button);
  const BoxSeen& Seen();
  // The configuration arrived and the engine started: the login view has its devices.
  void StartEngine();
  // The access step succeeded and the samples came, as the engine would send them.
  void PassLogin();
  void SendSamples(const std::vector<int>& samples);
  // Login, network test and verdict: the classroom is open.
  void EnterLesson();

  bool Visible(HWND window) const { return IsWindowVisible(window) != FALSE; }
  static RECT Rect(HWND window);
  HWND NoticeWindow() const;
  HWND FloatTip() const;
  std::wstring NoticeText() const;

  DataHolder holder_;
  ShellEngine engine_;
  int config_requests_ = 0;
  std::vector<std::string> logins_;

 private:
  std::unique_ptr<MainWindow> main_;
  void StopAnswering();

  std::unique_ptr<ui_test::LayoutWindow> answerer_;
  std::wstring answer_button_;
  BoxSeen seen_;
  // Looks for the box from outside the loop, which a modal box blocks, and wakes the answerer
  // once the box is there.
  std::thread box_watch_;
  std::atomic<bool> stop_watch_{false};
};

}  // namespace main_window_test
