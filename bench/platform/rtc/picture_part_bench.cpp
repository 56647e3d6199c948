// A moved region of the shared screen: from the move to the first frame that shows the new
// part, with a test source's colour bars standing in for the screen. The shared screen should
// follow within one or two frames of its 15 a second.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "capture_source.h"

namespace {

// 1280 x 800 like the test server's screen; the first bar is grey, the last blue.
constexpr const char* kPicture =
    "videotestsrc is-live=true pattern=smpte ! capsfilter caps=video/x-raw,width=1280,height=800,"
    "framerate=15/1";

rtc::Rect Part(bool right) {
  rtc::Rect part;
  part.left = right ? 1180 : 0;
  part.right = part.left + 100;
  part.bottom = 400;
  return part;
}

void BM_MovedPartFirstFrame(benchmark::State& state) {
  std::atomic<bool> right{false};
  std::string error;
  auto screen = rtc::OpenPartCapture(
      kPicture, 320, 240, 15, [&] { return Part(right); }, error);
  if (!screen) {
    state.SkipWithError(error.c_str());
    return;
  }
  rtc::VideoFrame frame;
  // Red in the middle of the frame: the grey bar has it, the blue one not.
  auto shows_right = [&] { return ((frame.pixels[120 * 320 + 160] >> 16) & 0xFF) < 64; };
  auto wait_for = [&](bool want) {
    while (!screen->Capture(0, frame) || shows_right() != want)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  wait_for(false);
  for (auto _ : state) {
    right = !right;
    wait_for(right);
  }
}
BENCHMARK(BM_MovedPartFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

}  // namespace
