// The program's main window in a benchmark process, as the program builds it: the real
// request workers against the real lesson service on a loopback port, a fresh built-in engine
// with its scenario, the real skin of the chosen language, on the headless backend or the X
// display, running on real time (QUORVEL_HEADLESS_CLOCK=real), so that what is measured is
// what a user would wait for. One scene instead joins a lesson on a real media server that
// was set up outside the process.
//
// The loop is the program's own (GetMessageW, DispatchMessageW); the benchmark only decides
// when to stop it, through a window of its own that a timer thread wakes.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "bench/support/bench_lesson_service.h"
#include "media/media_engine.h"
#include "service/data_holder.h"

namespace bench {

enum class Scene {
  // The local participant alone, with no camera: nothing draws video.
  kAlone,
  // The pattern camera and the lesson's two other participants at 640 x 480: three tiles of
  // video at the engine's 15 frames per second.
  kThreeTiles,
  // A lesson on a media server whose other participants, the teacher among them, are
  // quorvel-peer processes, all set up outside this process: the lesson service that
  // QUORVEL_API_BASE names, the student's code in QUORVEL_BENCH_STUDENT_CODE, and the engine's
  // configuration that QUORVEL_RTC_CONFIG names.
  kNetworkTeacher,
};

class ClassroomWorld {
 public:
  explicit ClassroomWorld(Scene scene);
  ~ClassroomWorld();
  ClassroomWorld(const ClassroomWorld&) = delete;
  ClassroomWorld& operator=(const ClassroomWorld&) = delete;

  // An empty text when the world stands; else what failed.
  const std::string& failure() const { return failure_; }

  // Until the engine has started and the login view lists its devices.
  bool WaitForLoginReady();
  // A click on join with the student's code typed in; the time from that click until the
  // classroom is shown (nullopt when it never opened within the limit).
  std::optional<std::chrono::nanoseconds> JoinAndTime();
  // Until the scene's participants all show video in their tiles.
  bool WaitForScene();
  // Leaves the lesson as the status bar's closing would, back to the login view.
  void Leave();

  // Runs the program's loop until condition holds (checked after every message, and at least
  // every check_every when none comes) or limit.
  bool RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit,
                std::chrono::milliseconds check_every = std::chrono::milliseconds(10));
  // Runs the program's loop for that long, whatever comes.
  void RunFor(std::chrono::milliseconds span);

  MainWindow& main() { return *main_; }
  DataHolder& holder() { return *holder_; }
  // The world's own lesson service: in every scene but kNetworkTeacher.
  const BenchLessonService& service() const { return *service_; }
  bool InClassroom();

 private:
  // The world's own service with a fresh lesson, and the engine's configuration for its scene;
  // false (with the failure) when the service did not start.
  bool OpenOwnLesson();
  std::string EngineConfig() const;

  Scene scene_;
  std::string failure_;
  std::unique_ptr<BenchLessonService> service_;
  std::string student_code_;
  std::unique_ptr<DataHolder> holder_;
  std::unique_ptr<MediaEngine> media_;
  std::unique_ptr<MainWindow> main_;
  HWND waker_ = nullptr;
};

}  // namespace bench
