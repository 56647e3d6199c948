// A whole lesson in one test process: the real lesson service on a free loopback port with two
// lessons, the program's main window with every window it holds, built from the real skin of
// the test's language over a data holder and an engine of the test's own, and the engine's
// scenario for those lessons.
//
// Time: the window system's virtual clock and the engine's clock move only when the test moves
// them (Advance moves both, SkipTime only the windows' one, for the long stretches of a lesson
// in which no frame needs drawing). The only real waits are for the other threads — the
// service's replies and the engine's callbacks — each bounded by a watchdog that fails the
// test instead of hanging.
#pragma once

#include <ui/ui.h>
#include <ui/ui_test_driver.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "service/data_holder.h"
#include "tests/e2e/lesson_engine.h"
#include "tests/service/running_lesson_service.h"
#include "tests/support/scoped_env.h"

namespace e2e {

enum class Language { kEnglish, kChinese };
inline void PrintTo(Language language, std::ostream* out) {
  *out << (language == Language::kChinese ? "cn" : "en");
}
// Names the cases of a suite run in both languages.
inline std::string LanguageName(const ::testing::TestParamInfo<Language>& info) {
  return info.param == Language::kChinese ? "cn" : "en";
}

// How long any wait for another thread may take before the test fails instead of hanging.
constexpr std::chrono::seconds kWatchdog{20};

// The lessons' timetable in seconds: the test begins kLead before the first lesson's start.
constexpr std::int64_t kLead = 90;
constexpr std::int64_t kDuration = 600;
constexpr std::int64_t kCountdown = 120;
constexpr std::int64_t kForceClose = 60;
// The second lesson starts this long after the first one is closed.
constexpr std::int64_t kSecondLessonGap = 300;

// When, after the local join, each role's participant joins (the user's own is left out).
constexpr int kTeacherJoinMs = 1000;
constexpr int kStudentJoinMs = 1500;
constexpr int kAssistantJoinMs = 2000;

// How the world is set up; the defaults make the happy road.
struct WorldSetup {
  Language language = Language::kEnglish;
  // The probe's samples as the scenario gives them.
  std::string lastmile = "[1, 1, 1, 1, 1]";
  // More members of the scenario object ("network_quality": [...]), made from the first
  // lesson once the service has created it.
  std::function<std::string(const CreatedLesson& first)> scenario_extra;
  // More top-level members of the engine's configuration ("name": value, ...).
  std::string engine_extra;
  // The service's configuration; the default announces no update.
  ServiceConfig config;
  // The service's faults by request path.
  FaultPlan faults;
  // The media servers the service places the lessons on; none: the access replies name none.
  MediaServers media_servers;
  // The first lesson's length in seconds (the second one is as long).
  std::int64_t duration = kDuration;
  // The client is pointed at a loopback port that refuses connections.
  bool unreachable_service = false;
  // The combination the stored hotkey names is taken by another program.
  bool hotkey_taken = false;
  // The machine's own devices (of the sound server the test runs) before the virtual ones.
  bool machine_devices = false;
};

class LessonWorld : public ::testing::Test {
 protected:
  void TearDown() override;

  // Builds the service, the holder, the engine and the main window (which starts the
  // configuration request at once).
  void Open(const WorldSetup& setup);

  // The language's archive is loaded and its wording expected.
  bool chinese() const { return setup_.language == Language::kChinese; }
  const char* language_tag() const { return chinese() ? "cn" : "en"; }

  // Time.
  void Advance(std::int64_t milliseconds);
  void SkipTime(std::int64_t milliseconds);
  // Advances both clocks until the engine's reads engine_ms (scenario times are counted from
  // the engine's time of the local join).
  void AdvanceEngineTo(std::int64_t engine_ms);
  std::int64_t EngineNow() const { return engine_->Now(); }
  // Moves both clocks in small steps until condition holds; false (the test failing) after
  // the watchdog's time or virtual_limit_ms of virtual time.
  bool AdvanceUntil(const std::function<bool()>& condition, const char* what,
                    std::int64_t virtual_limit_ms = 60000);
  // Pumps without moving any clock until condition holds, for replies of other threads; false
  // (the test failing) after the watchdog's time.
  bool WaitUntil(const std::function<bool()>& condition, const char* what,
                 std::chrono::seconds watchdog = kWatchdog);
  // The same without sleeping, for a thread that only needs the processor.
  static bool PumpUntil(const std::function<bool()>& condition, const char* what);
  // "Now" as the program reads it, in seconds since 1970.
  static std::int64_t Now();

  // Windows.
  MainWindow& main() { return *main_; }
  HWND main_hwnd() const { return main_->GetHWND(); }
  HWND login_hwnd() const;
  HWND meeting_hwnd();
  // An owned window's handle, null before the main window has built it.
  static HWND WindowOfClass(const wchar_t* class_name) {
    return ui::CUiDriver::FindWindowByClass(class_name);
  }
  static bool Visible(HWND window) { return window != nullptr && IsWindowVisible(window); }
  static std::wstring Text(HWND window, const wchar_t* control) {
    return ui::CUiDriver::GetText(window, control).str();
  }
  // Some pixel of a grid over the window is not black.
  static bool ShowsVideo(HWND tile);
  static bool ControlVisible(HWND window, const wchar_t* control) {
    return ui::CUiDriver::IsVisible(window, control);
  }
  int CameraItems() const;
  std::wstring NoticeText();
  std::wstring TipText();
  bool NoticeShown();
  bool TipShown();
  // The handler runs when the next modal loop starts, with the modal window (which it must
  // close, or the loop never ends).
  static void OnNextModal(std::function<void(HWND)> handler);

  // Steps of the road.
  // Until the engine has started and the login view has its devices.
  void WaitForEngineReady();
  // Replaces the code field's text the way a user does and presses Enter in it.
  void JoinWithCode(const std::string& code);
  // Until the classroom opens (true) or a notice comes instead (false).
  bool RunNetworkTest();

  // The service side.
  std::vector<std::string> RequestPaths();
  std::vector<MediaLogReport> Reports();
  bool HasReport(std::int32_t uid, const std::string& action);
  const CreatedLesson& first_lesson() const { return service_->lesson(); }
  const CreatedLesson& second_lesson() const { return second_; }
  static const std::string& CodeOf(const CreatedLesson& lesson, Role role);
  LessonStore& store() { return service_->store(); }
  const std::string& service_base() const { return service_->base(); }

  // Screenshots go to the build folder's e2e-shots/headless/NAME_LANGUAGE.png.
  void Screenshot(const std::string& name);

  DataHolder& holder() { return *holder_; }
  MediaEngine& media() { return engine_->media(); }

 private:
  std::string ScenarioJson() const;

  WorldSetup setup_;
  std::unique_ptr<testing_support::ScopedUserProfile> profile_;
  std::unique_ptr<testing_support::RunningLessonService> service_;
  CreatedLesson second_;
  std::unique_ptr<testing_support::RefusingPort> refusing_port_;
  std::unique_ptr<testing_support::ScopedEnv> unreachable_base_;
  std::unique_ptr<DataHolder> holder_;
  std::unique_ptr<LessonEngine> engine_;
  std::unique_ptr<MainWindow> main_;
};

}  // namespace e2e
