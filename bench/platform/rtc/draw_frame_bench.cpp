// Drawing one video frame into a canvas: what each tile costs the video thread per frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "rtc/rtc_base.h"
#include "test_pattern.h"
#include "video_frame.h"

namespace {

void BM_DrawFrameFit(benchmark::State& state) {
  rtc::VideoFrame frame;
  frame.Resize(640, 480);
  rtc::DrawTestPattern(2002, 0, frame);
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  std::vector<uint32_t> pixels(static_cast<std::size_t>(width) * height);
  rtc::PixelTarget target{pixels.data(), width, height, width};
  for (auto _ : state) {
    rtc::DrawFrame(frame, rtc::RENDER_MODE_FIT, state.range(2) != 0, target);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}
// A small tile, the large picture-in-picture tile, mirrored and not.
BENCHMARK(BM_DrawFrameFit)->Args({240, 180, 0})->Args({1280, 720, 0})->Args({1280, 720, 1});

void BM_TestPattern(benchmark::State& state) {
  rtc::VideoFrame frame;
  frame.Resize(640, 480);
  int64_t number = 0;
  for (auto _ : state) {
    rtc::DrawTestPattern(2002, number++, frame);
    benchmark::DoNotOptimize(frame.pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TestPattern);

}  // namespace
