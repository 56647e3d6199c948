// The program in a lesson on a media server for as long as a measure taken from outside the
// process needs it: bench/network/browser_comparison.sh counts its processor time and memory
// there as it counts a browser's in the same place. Joined as the student, headless on real
// time, it stays in the classroom until the file QUORVEL_BENCH_LEAVE_FILE names exists; the
// lesson, the peers and the student's code are set up outside (Scene::kNetworkTeacher).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "bench/app/classroom_world.h"

namespace {

using bench::ClassroomWorld;
using bench::Scene;

const bool kRealClock = [] { return ::setenv("QUORVEL_HEADLESS_CLOCK", "real", 1) == 0; }();

// Longer than any measure taken meanwhile; a script that never says leave ends it this late.
constexpr auto kStayLimit = std::chrono::minutes(10);
constexpr auto kLookForLeaveEvery = std::chrono::milliseconds(100);

void BM_StayInNetworkLesson(benchmark::State& state) {
  const char* leave_file = std::getenv("QUORVEL_BENCH_LEAVE_FILE");
  if (leave_file == nullptr) {
    state.SkipWithError("QUORVEL_BENCH_LEAVE_FILE names no file");
    return;
  }
  ClassroomWorld world(Scene::kNetworkTeacher);
  const char* failed = nullptr;
  if (!world.failure().empty()) {
    failed = world.failure().c_str();
  } else if (!world.WaitForLoginReady()) {
    failed = "the engine never started";
  } else if (!world.JoinAndTime()) {
    failed = "the classroom never opened";
  } else if (!world.WaitForScene()) {
    failed = "the teacher's tile never showed";
  }
  if (failed != nullptr) {
    state.SkipWithError(failed);
    return;
  }
  for (auto _ : state) {
    const auto started = std::chrono::steady_clock::now();
    const bool told = world.RunUntil(
        [&] { return std::filesystem::exists(leave_file); },
        std::chrono::duration_cast<std::chrono::milliseconds>(kStayLimit), kLookForLeaveEvery);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    if (!told) state.SkipWithError("never told to leave");
  }
  if (!world.InClassroom()) state.SkipWithError("the classroom closed during the stay");
}
BENCHMARK(BM_StayInNetworkLesson)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
