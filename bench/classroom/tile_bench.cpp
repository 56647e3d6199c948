// How long the video tile takes on the headless backend, from the real Chinese archive: a
// tile built with both indicators and destroyed, a resize as the layouts do it (indicators
// placed again, black fill, repaint), and a quality change of the signal bars with its repaint.
#include <benchmark/benchmark.h>

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <memory>

#include "classroom/canvas_view.h"

namespace {

void UseChineseSkin() {
  ui::CPaintManagerUI::SetResourcePath(QUORVEL_SKIN_DIR);
  ui::CPaintManagerUI::SetResourceZip(L"orbs.cn", false, nullptr);
}

std::unique_ptr<CanvasView> OpenTile() {
  auto tile = std::make_unique<CanvasView>();
  tile->Create(nullptr, L"t", WS_POPUP | WS_VISIBLE, 0, 0, 0, 240, 180);
  ui::CUiDriver::Pump();
  return tile;
}

void BM_BuildTile(benchmark::State& state) {
  UseChineseSkin();
  for (auto _ : state) {
    std::unique_ptr<CanvasView> tile = OpenTile();
    if (tile->network_indicator() == nullptr) state.SkipWithError("no signal bars");
  }
}
BENCHMARK(BM_BuildTile)->Unit(benchmark::kMicrosecond);

void BM_ResizeTile(benchmark::State& state) {
  UseChineseSkin();
  std::unique_ptr<CanvasView> tile = OpenTile();
  tile->UpdateIndicators(false);
  bool large = false;
  for (auto _ : state) {
    large = !large;
    MoveWindow(tile->GetHWND(), 0, 0, large ? 1080 : 240, large ? 643 : 180, TRUE);
    ui::CUiDriver::Pump();
  }
}
BENCHMARK(BM_ResizeTile)->Unit(benchmark::kMicrosecond);

void BM_SetQuality(benchmark::State& state) {
  UseChineseSkin();
  std::unique_ptr<CanvasView> tile = OpenTile();
  tile->present = true;
  tile->UpdateIndicators(true);
  unsigned level = 0;
  for (auto _ : state) {
    level = (level + 1) % 7;
    tile->network_indicator()->SetQuality(level);
    ui::CUiDriver::Pump();
  }
}
BENCHMARK(BM_SetQuality)->Unit(benchmark::kMicrosecond);

}  // namespace
