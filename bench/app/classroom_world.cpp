#include "bench/app/classroom_world.h"

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>
#include <utility>

#include "base/text_conversion.h"
#include "classroom/meeting_view.h"
#include "media/engine_event_bridge.h"
#include "rtc/rtc_engine.h"
#include "views/login_view.h"

using ui::CUiDriver;

namespace bench {

namespace {

constexpr const wchar_t* kWakerClass = L"QvBenchWaker";

LRESULT CALLBACK WakerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateWaker() {
  static const bool registered = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = WakerProcedure;
    window_class.lpszClassName = kWakerClass;
    return RegisterClassExW(&window_class) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExW(0, kWakerClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                         nullptr);
}

// Posts WM_NULL to a window every period until it goes, so that a loop blocked in
// GetMessageW looks at its clock.
class Waker {
 public:
  Waker(HWND window, std::chrono::milliseconds period)
      : thread_([this, window, period] {
          std::unique_lock<std::mutex> lock(mutex_);
          while (!stop_requested_.wait_for(lock, period, [this] { return stopping_; })) {
            PostMessageW(window, WM_NULL, 0, 0);
          }
        }) {}
  ~Waker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    stop_requested_.notify_one();
    thread_.join();
  }
  Waker(const Waker&) = delete;
  Waker& operator=(const Waker&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable stop_requested_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace

ClassroomWorld::ClassroomWorld(Scene scene) : scene_(scene) {
  if (scene_ == Scene::kNetworkTeacher) {
    const char* code = std::getenv("QUORVEL_BENCH_STUDENT_CODE");
    if (code == nullptr || *code == '\0') {
      failure_ = "QUORVEL_BENCH_STUDENT_CODE names no lesson code";
      return;
    }
    student_code_ = code;
  } else if (!OpenOwnLesson()) {
    return;
  }

  ui::CPaintManagerUI::SetResourcePath(QUORVEL_SKIN_DIR);
  ui::CPaintManagerUI::SetResourceZip(L"orbs.en", false, nullptr);
  waker_ = CreateWaker();
  holder_ = std::make_unique<DataHolder>();
  holder_->chinese_ui = false;
  media_ = std::make_unique<MediaEngine>(createRtcEngine, CAGEngineEventHandler::Instance());
  main_ = CreateMainWindow(
      WithProgramRequests(*holder_, *media_, CAGEngineEventHandler::Instance(), L"1.1.7"));
  main_->ShowWindow(true, true);
  main_->CenterWindow();
}

ClassroomWorld::~ClassroomWorld() {
  // The windows first (they use the engine and the holder), then the engine, the holder (which
  // saves the settings into the service's folder) and the service with its folder.
  main_.reset();
  CUiDriver::Pump();
  CAGEngineEventHandler::Instance().SetTargetWindow(nullptr);
  media_.reset();
  holder_.reset();
  if (waker_ != nullptr) DestroyWindow(waker_);
  CUiDriver::Pump();
  service_.reset();
}

bool ClassroomWorld::OpenOwnLesson() {
  LessonOptions lesson;
  lesson.start_in = 0;  // under way: the status bar counts, no alarm bar over the tiles
  lesson.duration = 3600;
  service_ = std::make_unique<BenchLessonService>(lesson);
  if (!service_->ok()) {
    failure_ = "the lesson service did not start";
    return false;
  }
  student_code_ = service_->CodeOf(Role::kStudent);
  const std::string config_path = service_->folder() + "/engine.json";
  std::ofstream(config_path) << EngineConfig();
  ::setenv("QUORVEL_RTC_CONFIG", config_path.c_str(), 1);
  return true;
}

std::string ClassroomWorld::EngineConfig() const {
  const Lesson& lesson = service_->lesson().lesson;
  std::string users;
  std::string cameras = "[]";
  if (scene_ == Scene::kThreeTiles) {
    cameras = R"([{"id": "cam-a", "name": "Pattern camera"}])";
    for (std::int32_t uid : {lesson.teacher_uid, lesson.assistant_uid}) {
      if (!users.empty()) users += ", ";
      users +=
          R"({"uid": )" + std::to_string(uid) + R"(, "join_ms": 200, "width": 640, "height": 480})";
    }
  }
  // The probe's samples come from the scenario: a simulated lesson has no media server to
  // echo them. They still come every 200 ms, so the network test takes its real time.
  return R"({"channel": "simulated", "real_devices": false, "cameras": )" + cameras +
         R"(, "microphones": [{"id": "mic-a", "name": "Tone microphone"}],)"
         R"( "speakers": [{"id": "spk-a", "name": "Speaker"}],)"
         R"( "scenario": {"lastmile": [1], "users": [)" +
         users + "]}}";
}

bool ClassroomWorld::RunUntil(const std::function<bool()>& condition,
                              std::chrono::milliseconds limit,
                              std::chrono::milliseconds check_every) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  CUiDriver::Pump();
  if (condition()) return true;
  Waker waker(waker_, check_every);
  MSG message{};
  while (std::chrono::steady_clock::now() < deadline && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
    if (condition()) return true;
  }
  return false;
}

void ClassroomWorld::RunFor(std::chrono::milliseconds span) {
  const auto deadline = std::chrono::steady_clock::now() + span;
  // One wake at the end: nothing of the benchmark's own runs in between.
  Waker waker(waker_, span);
  MSG message{};
  while (std::chrono::steady_clock::now() < deadline && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool ClassroomWorld::WaitForLoginReady() {
  const HWND login = main_->login_view()->GetHWND();
  return RunUntil(
      [this, login] {
        auto* microphones =
            dynamic_cast<ui::CComboUI*>(CUiDriver::FindControl(login, L"audin_device"));
        return !media_->engine_app_id.empty() && microphones != nullptr &&
               microphones->GetCount() > 0;
      },
      std::chrono::seconds(10));
}

bool ClassroomWorld::InClassroom() {
  MeetingView* view = main_->meeting_view();
  return main_->in_classroom() && view != nullptr && IsWindowVisible(view->GetHWND());
}

std::optional<std::chrono::nanoseconds> ClassroomWorld::JoinAndTime() {
  const HWND login = main_->login_view()->GetHWND();
  const std::wstring code = AnsiToWide(student_code_);
  if (!CUiDriver::PressKey(login, L"class_code", 'A', ui::kModControl) ||
      !CUiDriver::PressKey(login, L"class_code", VK_DELETE) ||
      !CUiDriver::Type(login, L"class_code", code)) {
    return std::nullopt;
  }
  const auto clicked = std::chrono::steady_clock::now();
  if (!CUiDriver::Click(login, L"join_class")) return std::nullopt;
  if (!RunUntil([this] { return InClassroom(); }, std::chrono::seconds(15))) return std::nullopt;
  return std::chrono::steady_clock::now() - clicked;
}

bool ClassroomWorld::WaitForScene() {
  MeetingView* view = main_->meeting_view();
  const Scene scene = scene_;
  const bool arrived = RunUntil(
      [view, scene] {
        if (view->student_tile() == nullptr || !view->student_tile()->present) return false;
        const bool teacher = view->teacher_tile()->present;
        if (scene == Scene::kNetworkTeacher) return teacher;
        return scene == Scene::kAlone || (teacher && view->assistant_tile()->present);
      },
      std::chrono::seconds(15));
  // The first frames and the layouts they cause settle before anything is measured.
  if (arrived) RunFor(std::chrono::milliseconds(1500));
  return arrived;
}

void ClassroomWorld::Leave() {
  main_->LeaveClassroom();
  RunUntil([this] { return !main_->in_classroom(); }, std::chrono::seconds(5));
  RunFor(std::chrono::milliseconds(300));
}

}  // namespace bench
