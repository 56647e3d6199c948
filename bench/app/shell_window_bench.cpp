// How long the shell's windows take on the headless backend, from the real Chinese archive:
// a whole question (build the box from its layout, centre it, answer it with a click) and a
// tip shown with a one-line and a wrapped text.
#include <benchmark/benchmark.h>

#include <ui/ui.h>
#include <ui/ui_test_driver.h>

#include <string>

#include "widgets/float_tip_wnd.h"
#include "widgets/msg_box.h"

namespace {

void UseChineseSkin() {
  ui::CPaintManagerUI::SetResourcePath(QUORVEL_SKIN_DIR);
  ui::CPaintManagerUI::SetResourceZip(L"orbs.cn", false, nullptr);
}

void BM_AskAndAnswer(benchmark::State& state) {
  UseChineseSkin();
  for (auto _ : state) {
    auto* box = new MsgBox(L"exit_meeting_confirm_dlg.xml");
    box->Create(nullptr, L"QV-MsgBox", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 360, 220);
    box->CenterWindow();
    ui::CUiDriver::AnswerNextModal(L"ok_btn");
    if (box->ShowModal() != 1) state.SkipWithError("the box did not confirm");
  }
}
BENCHMARK(BM_AskAndAnswer)->Unit(benchmark::kMicrosecond);

class BenchTip : public FloatTipWnd {
 public:
  BenchTip() { Create(nullptr, L"", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0); }
  ~BenchTip() override { DestroyWindow(GetHWND()); }
  BenchTip(const BenchTip&) = delete;
  BenchTip& operator=(const BenchTip&) = delete;
};

void ShowTipRepeatedly(benchmark::State& state, const std::wstring& text) {
  UseChineseSkin();
  BenchTip tip;
  for (auto _ : state) {
    tip.ShowTip(text);
    ui::CUiDriver::Pump();  // the repaint that the new size asks for
  }
}

void BM_ShowTipOneLine(benchmark::State& state) {
  ShowTipRepeatedly(state, L"正在测试网络，请稍后...");
}
BENCHMARK(BM_ShowTipOneLine)->Unit(benchmark::kMicrosecond);

void BM_ShowTipWrapped(benchmark::State& state) {
  ShowTipRepeatedly(state,
                    L"老师的网络不稳定，视频可能会短暂卡顿，课堂将继续进行，请耐心等待网络恢复。");
}
BENCHMARK(BM_ShowTipWrapped)->Unit(benchmark::kMicrosecond);

}  // namespace
