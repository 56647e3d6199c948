// Glass-to-glass latency of a participant's video over the media server: the teacher, a
// quorvel-peer process, sends the engine's pattern with its capture time in its pixels
// (time_code.h); the program, headless on real time and joined as the student, shows it in the
// teacher's tile, which is read every few milliseconds as the screen would show it. Each new
// time read is one frame's age, from the peer's video thread through VP8, the media server,
// the jitter buffer, decoding and the program's video thread to the tile.
//
// Run by bench/network/glass_latency.sh, which sets up the lesson and the peers inside a
// private network namespace.
#include <benchmark/benchmark.h>
#include <win/headless.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench/app/classroom_world.h"
#include "classroom/meeting_view.h"
#include "time_code.h"

namespace {

using bench::ClassroomWorld;
using bench::Scene;

const bool kRealClock = [] { return ::setenv("QUORVEL_HEADLESS_CLOCK", "real", 1) == 0; }();

// A run's 200 frames come from several joins. The program's video thread draws what has come
// at its own 15 frames a second, so how long a frame waits depends on the phase between that
// thread and the peer's, which a join keeps until it leaves.
constexpr int kJoinsPerRun = 4;
constexpr int kFramesPerJoin = 50;
// How often the tile is read: a frame is seen at most this much after it was drawn.
constexpr auto kReadEvery = std::chrono::milliseconds(2);
constexpr auto kJoinLimit = std::chrono::seconds(30);
// An age beyond this is a code misread, not a frame that old.
constexpr int64_t kOldestBelievableMs = 5000;

// Where in the tile the frame shows: as large as it fits, centred (the lesson's render mode).
struct Picture {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

Picture FramePicture(const CanvasView& tile) {
  RECT client{};
  GetClientRect(tile.GetHWND(), &client);
  Picture picture{0, 0, client.right, client.bottom};
  if (tile.video_width <= 0 || tile.video_height <= 0) return picture;
  if (client.right * tile.video_height > client.bottom * tile.video_width) {
    picture.width = client.bottom * tile.video_width / tile.video_height;
  } else {
    picture.height = client.right * tile.video_height / tile.video_width;
  }
  picture.x = (client.right - picture.width) / 2;
  picture.y = (client.bottom - picture.height) / 2;
  return picture;
}

// The code the tile shows. Its blocks are read one by one while the engine draws from its own
// thread; a frame drawn in between would mix two codes, so only two equal reads count.
std::optional<uint32_t> ShownCode(const CanvasView& tile) {
  const Picture picture = FramePicture(tile);
  const HWND window = tile.GetHWND();
  const rtc::PixelReader pixel = [&](int x, int y) {
    return win::headless::WindowPixel(window, picture.x + x, picture.y + y);
  };
  const std::optional<uint32_t> first = rtc::ReadTimeCode(pixel, picture.width, picture.height);
  if (!first || rtc::ReadTimeCode(pixel, picture.width, picture.height) != first) {
    return std::nullopt;
  }
  return first;
}

// The nearest-rank percentile of values (not empty).
double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
  return values[std::max<std::size_t>(rank, 1) - 1];
}

// The frames of one join of a fresh program: their ages into ages, the time spent reading
// them into reading; the reason when it failed.
std::optional<std::string> TimeOneJoin(std::vector<double>& ages, double& reading) {
  ClassroomWorld world(Scene::kNetworkTeacher);
  if (!world.failure().empty()) return world.failure();
  if (!world.WaitForLoginReady()) return "the engine never started";
  if (!world.JoinAndTime()) return "the classroom never opened";
  if (!world.WaitForScene()) return "the teacher's tile never showed";
  const CanvasView& tile = *world.main().meeting_view()->teacher_tile();
  std::optional<uint32_t> last;
  int counted = 0;
  auto next_read = std::chrono::steady_clock::now();
  const auto started = next_read;
  const bool enough = world.RunUntil(
      [&] {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_read) return false;
        next_read = now + kReadEvery;
        const std::optional<uint32_t> code = ShownCode(tile);
        if (!code || code == last) return false;
        last = code;
        const int64_t age = rtc::TimeCodeAge(*code, rtc::TimeCodeNow());
        if (age >= kOldestBelievableMs) return false;
        ages.push_back(static_cast<double>(age));
        return ++counted >= kFramesPerJoin;
      },
      kJoinLimit, kReadEvery);
  reading = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!enough) return std::string("too few frames with a readable time in the tile");
  return std::nullopt;
}

// Each iteration is one join; a run's figures are over the frames of all its joins.
void BM_GlassToGlass(benchmark::State& state) {
  if (!win::headless::Active()) {
    state.SkipWithError("the tile can only be read on the headless backend");
    return;
  }
  std::vector<double> ages;
  double all_reading = 0;
  std::optional<std::string> failure;
  for (auto _ : state) {
    double reading = 0;
    failure = TimeOneJoin(ages, reading);
    if (failure) {
      state.SkipWithError(failure->c_str());
      break;
    }
    state.SetIterationTime(reading);
    all_reading += reading;
  }
  if (failure) return;
  state.counters["median_ms"] = Percentile(ages, 0.5);
  state.counters["p95_ms"] = Percentile(ages, 0.95);
  state.counters["min_ms"] = Percentile(ages, 0);
  state.counters["max_ms"] = Percentile(ages, 1);
  state.counters["frames"] = static_cast<double>(ages.size());
  state.counters["frames_per_second"] = static_cast<double>(ages.size()) / all_reading;
}
BENCHMARK(BM_GlassToGlass)
    ->Iterations(kJoinsPerRun)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->DisplayAggregatesOnly(true);

}  // namespace
