// The cost of the pure tile layouts (run on every resize of the meeting view) and of one tick
// of the alarm bar from the real Chinese archive on the headless backend: the sentence formatted
// and set, and the bar repainted.
#include <benchmark/benchmark.h>

#include <ui/ui.h>
#include <ui/ui_test_driver.h>
#include <win/headless.h>

#include <cstdint>

#include "base/app_messages.h"
#include "classroom/alarm_bar.h"
#include "classroom/tile_layout.h"

namespace {

void BM_PictureInPicture(benchmark::State& state) {
  const VideoTile main{true, 640, 480};
  const VideoTile upper{true, 640, 360};
  VideoTile lower{true, 320, 240};
  int width = 1280;
  for (auto _ : state) {
    width = width == 1280 ? 1281 : 1280;  // a drag-resize moves by a pixel at a time
    lower.present = !lower.present;
    benchmark::DoNotOptimize(
        LayoutPictureInPicture({width, 720}, main, upper, lower, AlarmBarState::Hidden));
  }
}
BENCHMARK(BM_PictureInPicture);

void BM_SideBySideThreeTiles(benchmark::State& state) {
  const VideoTile tile{true, 640, 480};
  int width = 1280;
  for (auto _ : state) {
    width = width == 1280 ? 1281 : 1280;
    benchmark::DoNotOptimize(LayoutSideBySide({width, 720}, tile, tile, tile));
  }
}
BENCHMARK(BM_SideBySideThreeTiles);

class BenchAlarmBar : public AlarmBar {
 public:
  BenchAlarmBar() { Create(nullptr, L"QV-AlarmBar", WS_DISABLED, 0, 5, 316, 1070, 174); }
  ~BenchAlarmBar() override { DestroyWindow(GetHWND()); }
  BenchAlarmBar(const BenchAlarmBar&) = delete;
  BenchAlarmBar& operator=(const BenchAlarmBar&) = delete;
};

void BM_AlarmBarTick(benchmark::State& state) {
  ui::CPaintManagerUI::SetResourcePath(QUORVEL_SKIN_DIR);
  ui::CPaintManagerUI::SetResourceZip(L"orbs.cn", false, nullptr);
  constexpr std::int64_t kNow = 1'800'000'000;
  win::headless::SetUnixTime(kNow);
  BenchAlarmBar bar;
  // Far enough ahead that the bar keeps counting for the whole run.
  bar.Start(kNow + 365LL * 24 * 3600);
  for (auto _ : state) {
    win::headless::AdvanceClock(kLessonClockPeriodMs);
    ui::CUiDriver::Pump();
  }
}
BENCHMARK(BM_AlarmBarTick)->Unit(benchmark::kMicrosecond);

}  // namespace
