#include "tests/e2e/lesson_world.h"

#include <win/headless.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>
#include <utility>

#include "base/text_conversion.h"
#include "classroom/meeting_view.h"
#include "modal_hooks.h"
#include "views/login_view.h"

using ui::CUiDriver;

namespace e2e {

namespace {

// Virtual milliseconds per step of AdvanceUntil, and of Advance.
constexpr std::int64_t kUntilStepMs = 20;
constexpr std::int64_t kAdvanceStepMs = 100;
// SkipTime's step: the lesson clocks tick every 500 ms.
constexpr std::int64_t kSkipStepMs = 500;

constexpr std::int64_t kFileTimeOf1970 = 116444736000000000LL;

void MoveWindowClock(std::int64_t milliseconds) { win::headless::AdvanceClock(milliseconds); }

std::string UserJson(std::int32_t uid, int join_ms) {
  return "{\"uid\": " + std::to_string(uid) + ", \"join_ms\": " + std::to_string(join_ms) +
         ", \"width\": 640, \"height\": 480}";
}

}  // namespace

void LessonWorld::Open(const WorldSetup& setup) {
  setup_ = setup;
  profile_ = std::make_unique<testing_support::ScopedUserProfile>(chinese() ? "zh_CN.UTF-8"
                                                                            : "en_US.UTF-8");
  LessonOptions first;
  first.start_in = kLead;
  first.duration = setup.duration;
  first.countdown = kCountdown;
  first.forceclose = kForceClose;
  first.screen_sharing = true;
  first.recording = true;
  service_ = std::make_unique<testing_support::RunningLessonService>(setup.faults, first,
                                                                     setup.media_servers);
  store().SetConfig(setup.config);
  LessonOptions second = first;
  second.start_in = kLead + setup.duration + kForceClose + kSecondLessonGap;
  second_ = store().CreateLesson(second);
  win::headless::SetUnixTime(first_lesson().lesson.start_time - kLead);
  if (setup.unreachable_service) {
    refusing_port_ = std::make_unique<testing_support::RefusingPort>();
    unreachable_base_ =
        std::make_unique<testing_support::ScopedEnv>("QUORVEL_API_BASE", refusing_port_->base());
  }
  if (setup.hotkey_taken) win::headless::TakeHotKeyElsewhere(MOD_ALT, 'S');

  ui::CPaintManagerUI::SetResourcePath(QUORVEL_SKIN_DIR);
  ui::CPaintManagerUI::SetResourceZip(chinese() ? L"orbs.cn" : L"orbs.en", false, nullptr);
  holder_ = std::make_unique<DataHolder>();
  holder_->chinese_ui = chinese();
  holder_->language = chinese() ? "cn" : "us";
  engine_ = std::make_unique<LessonEngine>(ScenarioJson());
  main_ = CreateMainWindow(
      WithProgramRequests(*holder_, engine_->media(), engine_->bridge(), L"1.1.7"));
  main_->ShowWindow(true, true);
  main_->CenterWindow();
  CUiDriver::Pump();
}

void LessonWorld::TearDown() {
  OnNextModal(nullptr);
  // The next test of the process finds the combination free.
  if (setup_.hotkey_taken) win::headless::TakeHotKeyElsewhere(MOD_ALT, 'S', false);
  // The windows first: they use the engine and the holder.
  main_.reset();
  CUiDriver::Pump();
  engine_.reset();
  holder_.reset();
  unreachable_base_.reset();
  refusing_port_.reset();
  service_.reset();
  profile_.reset();
}

// Every participant of both lessons joins with video; the engine leaves out the user's own uid.
std::string LessonWorld::ScenarioJson() const {
  std::ostringstream users;
  const CreatedLesson* lessons[] = {&first_lesson(), &second_};
  const char* separator = "";
  for (const CreatedLesson* lesson : lessons) {
    users << separator << UserJson(lesson->lesson.teacher_uid, kTeacherJoinMs) << ", "
          << UserJson(lesson->lesson.student_uid, kStudentJoinMs) << ", "
          << UserJson(lesson->lesson.assistant_uid, kAssistantJoinMs);
    separator = ", ";
  }
  std::ostringstream json;
  // No channel named: the harness's default, or the one engine_extra names.
  json << "{\"real_devices\": " << (setup_.machine_devices ? "true" : "false") << ",";
  if (!setup_.engine_extra.empty()) json << " " << setup_.engine_extra << ",";
  json << " \"cameras\": [{\"id\": \"cam-a\", \"name\": \"Desk camera\"},"
       << " {\"id\": \"cam-b\", \"name\": \"Document camera\"}],"
       << " \"microphones\": [{\"id\": \"mic-a\", \"name\": \"Desk microphone\"}],"
       << " \"speakers\": [{\"id\": \"spk-a\", \"name\": \"Desk speaker\"}],"
       << " \"scenario\": {\"users\": [" << users.str() << "],";
  if (setup_.scenario_extra) json << " " << setup_.scenario_extra(first_lesson()) << ",";
  json << " \"lastmile\": " << setup_.lastmile << "}}";
  return json.str();
}

void LessonWorld::Advance(std::int64_t milliseconds) {
  for (std::int64_t done = 0; done < milliseconds; done += kAdvanceStepMs) {
    const std::int64_t step = std::min(kAdvanceStepMs, milliseconds - done);
    MoveWindowClock(step);
    engine_->Advance(step);
    CUiDriver::Pump();
  }
}

void LessonWorld::AdvanceEngineTo(std::int64_t engine_ms) {
  if (engine_ms > engine_->Now()) Advance(engine_ms - engine_->Now());
}

void LessonWorld::SkipTime(std::int64_t milliseconds) {
  for (std::int64_t done = 0; done < milliseconds; done += kSkipStepMs) {
    MoveWindowClock(std::min(kSkipStepMs, milliseconds - done));
    CUiDriver::Pump();
  }
}

bool LessonWorld::AdvanceUntil(const std::function<bool()>& condition, const char* what,
                               std::int64_t virtual_limit_ms) {
  const auto deadline = std::chrono::steady_clock::now() + kWatchdog;
  for (std::int64_t moved = 0;; moved += kUntilStepMs) {
    CUiDriver::Pump();
    if (condition()) return true;
    if (moved >= virtual_limit_ms || std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "never happened: " << what;
      return false;
    }
    MoveWindowClock(kUntilStepMs);
    engine_->Advance(kUntilStepMs);
    // Lets the service's and the engine's threads answer before time moves on.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

namespace {

// Pumps until condition holds, pausing between looks; false (the test failing) after watchdog.
bool PollUntil(const std::function<bool()>& condition, const char* what,
               std::chrono::seconds watchdog, void (*pause)()) {
  const auto deadline = std::chrono::steady_clock::now() + watchdog;
  for (;;) {
    CUiDriver::Pump();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "never happened: " << what;
      return false;
    }
    pause();
  }
}

}  // namespace

bool LessonWorld::WaitUntil(const std::function<bool()>& condition, const char* what,
                            std::chrono::seconds watchdog) {
  return PollUntil(condition, what, watchdog,
                   [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
}

bool LessonWorld::PumpUntil(const std::function<bool()>& condition, const char* what) {
  return PollUntil(condition, what, kWatchdog, [] { std::this_thread::yield(); });
}

bool LessonWorld::ShowsVideo(HWND tile) {
  RECT client{};
  GetClientRect(tile, &client);
  for (int y = client.bottom / 8; y < client.bottom; y += client.bottom / 8 + 1) {
    for (int x = client.right / 8; x < client.right; x += client.right / 8 + 1) {
      if ((win::headless::WindowPixel(tile, x, y) & 0xFFFFFFu) != 0) return true;
    }
  }
  return false;
}

std::int64_t LessonWorld::Now() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  return (ticks - kFileTimeOf1970) / 10000000;
}

HWND LessonWorld::login_hwnd() const { return main_->login_view()->GetHWND(); }

HWND LessonWorld::meeting_hwnd() { return main_->meeting_view()->GetHWND(); }

int LessonWorld::CameraItems() const {
  auto* list = dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(login_hwnd(), L"camera_device"));
  return list != nullptr ? list->GetCount() : 0;
}

bool LessonWorld::NoticeShown() { return Visible(WindowOfClass(L"QV-OVERLAY")); }

std::wstring LessonWorld::NoticeText() {
  return Text(WindowOfClass(L"QV-OVERLAY"), L"overlay_info");
}

bool LessonWorld::TipShown() { return Visible(WindowOfClass(L"FloatTipWnd")); }

std::wstring LessonWorld::TipText() { return Text(WindowOfClass(L"FloatTipWnd"), L"tip_info"); }

void LessonWorld::OnNextModal(std::function<void(HWND)> handler) {
  ui::SetModalStartObserver(std::move(handler));
}

void LessonWorld::WaitForEngineReady() {
  AdvanceUntil([this] { return CameraItems() > 0; }, "the login view's camera list filled");
}

void LessonWorld::JoinWithCode(const std::string& code) {
  const HWND login = login_hwnd();
  ASSERT_TRUE(CUiDriver::PressKey(login, L"class_code", 'A', ui::kModControl));
  ASSERT_TRUE(CUiDriver::PressKey(login, L"class_code", VK_DELETE));
  ASSERT_TRUE(CUiDriver::Type(login, L"class_code", AnsiToWide(code)));
  ASSERT_TRUE(CUiDriver::PressKey(login, L"class_code", VK_RETURN));
}

bool LessonWorld::RunNetworkTest() {
  AdvanceUntil([this] { return main_->in_classroom() || NoticeShown(); },
               "the network test's verdict");
  return main_->in_classroom();
}

std::vector<std::string> LessonWorld::RequestPaths() {
  std::vector<std::string> paths;
  for (const ReceivedRequest& request : store().Requests()) paths.push_back(request.path);
  return paths;
}

std::vector<MediaLogReport> LessonWorld::Reports() { return store().Reports(); }

bool LessonWorld::HasReport(std::int32_t uid, const std::string& action) {
  for (const MediaLogReport& report : Reports()) {
    if (report.target_uid == uid && report.action == action) return true;
  }
  return false;
}

const std::string& LessonWorld::CodeOf(const CreatedLesson& lesson, Role role) {
  for (size_t i = 0; i < kRoles.size(); ++i) {
    if (kRoles[i] == role) return lesson.codes[i];
  }
  return lesson.codes[0];
}

void LessonWorld::Screenshot(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(QUORVEL_E2E_SHOT_DIR) / "headless";
  std::filesystem::create_directories(folder);
  CUiDriver::Pump();
  const std::string path = (folder / (name + "_" + language_tag() + ".png")).string();
  EXPECT_TRUE(win::headless::SaveScreenPng(path)) << path;
}

}  // namespace e2e
