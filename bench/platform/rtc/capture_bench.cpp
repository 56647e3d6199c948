// A camera's start: from opening the capture to its first picture, for each kind of picture a
// camera sends (a test source stands in for the device). The own tile should show a chosen
// camera within a second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

#include "capture_source.h"

namespace {

const char* const kCaptures[] = {
    "videotestsrc is-live=true ! capsfilter caps=video/x-raw,format=YUY2,width=640,height=480,"
    "framerate=30/1",
    "videotestsrc is-live=true ! capsfilter caps=video/x-raw,width=1280,height=720,"
    "framerate=30/1 ! jpegenc ! capsfilter caps=image/jpeg,width=1280,height=720,framerate=30/1",
};

void BM_CameraFirstPicture(benchmark::State& state) {
  const std::string capture = kCaptures[state.range(0)];
  for (auto _ : state) {
    std::string error;
    auto camera = rtc::OpenCamera(capture, 1280, 720, nullptr, error);
    if (!camera) {
      state.SkipWithError(error.c_str());
      return;
    }
    rtc::VideoFrame frame;
    while (!camera->Capture(0, frame)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    state.PauseTiming();
    camera.reset();
    state.ResumeTiming();
  }
}
// YUYV at 640 x 480; MJPEG at 1280 x 720.
BENCHMARK(BM_CameraFirstPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
