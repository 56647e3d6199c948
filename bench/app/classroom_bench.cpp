// The lesson as a user waits for it, in one process on real time against the local lesson
// service on loopback: the click on join until the classroom shows (login, access, the
// network test's five samples and the classroom's opening), the CPU and the memory of a
// classroom over a fixed real-time window, and the meeting view's handling of a burst of
// engine events while three tiles play.
//
// The backend follows DISPLAY unless QUORVEL_HEADLESS=1; each measurement builds its world
// afresh, so every repetition starts the program's road from the beginning.
#include <benchmark/benchmark.h>
#include <ui/ui_test_driver.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "bench/app/classroom_world.h"
#include "bench/support/process_usage.h"
#include "classroom/meeting_view.h"
#include "media/engine_event_bridge.h"

namespace {

using bench::ClassroomWorld;
using bench::Scene;

const bool kRealClock = [] { return ::setenv("QUORVEL_HEADLESS_CLOCK", "real", 1) == 0; }();

// The real-time window over which a classroom's CPU use is counted.
constexpr auto kCpuWindow = std::chrono::seconds(6);

// A world whose classroom is open with its scene playing; null (the benchmark skipped with
// the reason) when any step failed.
std::unique_ptr<ClassroomWorld> OpenClassroom(benchmark::State& state, Scene scene) {
  auto world = std::make_unique<ClassroomWorld>(scene);
  const char* failed = nullptr;
  if (!world->failure().empty()) {
    failed = world->failure().c_str();
  } else if (!world->WaitForLoginReady()) {
    failed = "the engine never started";
  } else if (!world->JoinAndTime()) {
    failed = "the classroom never opened";
  } else if (!world->WaitForScene()) {
    failed = "the scene's tiles never showed";
  }
  if (failed == nullptr) return world;
  state.SkipWithError(failed);
  return nullptr;
}

void BM_JoinToClassroom(benchmark::State& state) {
  ClassroomWorld world(Scene::kAlone);
  if (!world.failure().empty() || !world.WaitForLoginReady()) {
    state.SkipWithError("the login view never got its devices");
    return;
  }
  for (auto _ : state) {
    const auto taken = world.JoinAndTime();
    if (!taken) {
      state.SkipWithError("the classroom never opened");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(*taken).count());
    state.PauseTiming();
    world.Leave();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_JoinToClassroom)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

// CPU of the whole process (every thread: the loop, the engine's, the workers') over the
// window, as a percentage of one core; resident memory at the window's end.
void MeasureClassroom(benchmark::State& state, Scene scene, const char* shot_name) {
  std::unique_ptr<ClassroomWorld> world = OpenClassroom(state, scene);
  if (!world) return;
  for (auto _ : state) {
    const auto cpu_before = bench::ProcessCpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    world->RunFor(kCpuWindow);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const auto cpu_after = bench::ProcessCpuSeconds();
    const auto resident = bench::ResidentMegabytes();
    if (!cpu_before || !cpu_after || !resident) {
      state.SkipWithError("/proc/self is unreadable");
      break;
    }
    state.SetIterationTime(elapsed);
    state.counters["cpu_percent"] = (*cpu_after - *cpu_before) / elapsed * 100.0;
    state.counters["rss_mb"] = *resident;
  }
  if (!world->InClassroom()) state.SkipWithError("the classroom closed during the window");
  // What was measured, to be looked at: QUORVEL_BENCH_SHOTS names a folder for the picture.
  if (const char* shots = std::getenv("QUORVEL_BENCH_SHOTS")) {
    const std::string path = std::string(shots) + "/" + shot_name + ".png";
    if (!ui::CUiDriver::SaveScreenshot(world->main().GetHWND(), path)) {
      state.SkipWithError("the screenshot could not be written");
    }
  }
}

void BM_ClassroomAloneCpu(benchmark::State& state) {
  MeasureClassroom(state, Scene::kAlone, "classroom_alone");
}
BENCHMARK(BM_ClassroomAloneCpu)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

void BM_ClassroomThreeTilesCpu(benchmark::State& state) {
  MeasureClassroom(state, Scene::kThreeTiles, "classroom_three_tiles");
}
BENCHMARK(BM_ClassroomThreeTilesCpu)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

// The end of a burst: posted from the engine's side after its last event, so it arrives after
// all of them (posting keeps each thread's order).
constexpr UINT kBurstEnd = WM_USER + 77;
std::atomic<bool> g_burst_ended{false};

LRESULT CALLBACK SentinelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kBurstEnd) g_burst_ended = true;
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateSentinel() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = SentinelProcedure;
  window_class.lpszClassName = L"QvBenchSentinel";
  RegisterClassExW(&window_class);
  return CreateWindowExW(0, L"QvBenchSentinel", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                         nullptr, nullptr);
}

// The events a classroom gets most often, for the two other participants and the user: the
// network qualities (signal bars) and the speakers' volumes.
void SendEvent(CAGEngineEventHandler& bridge, const Lesson& lesson, std::int64_t i) {
  static const rtc::AudioVolumeInfo speakers[] = {{0, 100}, {7, 90}, {8, 80}};
  const int quality = static_cast<int>(1 + i % 5);
  switch (i % 4) {
    case 0:
      bridge.onNetworkQuality(static_cast<rtc::uid_t>(lesson.teacher_uid), quality, quality);
      break;
    case 1:
      bridge.onNetworkQuality(static_cast<rtc::uid_t>(lesson.assistant_uid), quality, quality);
      break;
    case 2:
      bridge.onNetworkQuality(0, quality, quality);
      break;
    default:
      bridge.onAudioVolumeIndication(speakers, 3, 100);
      break;
  }
}

void BM_MeetingViewEventBurst(benchmark::State& state) {
  const std::int64_t burst = state.range(0);
  std::unique_ptr<ClassroomWorld> world = OpenClassroom(state, Scene::kThreeTiles);
  if (!world) return;
  const HWND sentinel = CreateSentinel();
  const Lesson& lesson = world->service().lesson().lesson;
  CAGEngineEventHandler& bridge = CAGEngineEventHandler::Instance();
  for (auto _ : state) {
    g_burst_ended = false;
    std::thread engine([&] {
      for (std::int64_t i = 0; i < burst; ++i) SendEvent(bridge, lesson, i);
      PostMessageW(sentinel, kBurstEnd, 0, 0);
    });
    const bool ended =
        world->RunUntil([] { return g_burst_ended.load(); }, std::chrono::seconds(60));
    engine.join();
    if (!ended) {
      state.SkipWithError("the burst was not handled within a minute");
      break;
    }
  }
  DestroyWindow(sentinel);
  state.SetItemsProcessed(state.iterations() * burst);
}
BENCHMARK(BM_MeetingViewEventBurst)
    ->Arg(20000)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

}  // namespace
