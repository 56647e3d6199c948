// A window of the library built from one layout file of the current skin, for the targets
// that load layouts: created, laid out, painted and composed on the headless backend, then
// destroyed.
#pragma once

#include <ui/ui.h>
#include <ui/ui_test_driver.h>
#include <win/headless.h>

#include <string>

#include "fuzz/support/fuzz_support.h"

namespace fuzz_support {

class FuzzWindow : public ui::WindowImplBase {
 public:
  explicit FuzzWindow(std::wstring layout) : layout_(std::move(layout)) {}

  // A layout that cannot be read still gives a window (without controls).
  void ShowOnce() {
    const HWND window = Create(nullptr, L"fuzz", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0);
    Require(window != nullptr);
    ui::CUiDriver::Layout(window);
    ui::CUiDriver::Pump();
    win::headless::WindowPixel(window, 0, 0);
    DestroyWindow(window);
    ui::CUiDriver::Pump();
  }

 protected:
  ui::LPCTSTR GetWindowClassName() const override { return L"QvFuzzWindow"; }
  ui::CUiString GetSkinFile() override { return layout_.c_str(); }

 private:
  std::wstring layout_;
};

// Every problem the library reports must read "LAYOUT:LINE: what"; anything else aborts.
inline void RequireProblemsNameTheLine(const std::wstring& layout) {
  ui::CUiDriver::WatchProblems([layout](const std::wstring& line) {
    Require(line.compare(0, layout.size() + 1, layout + L":") == 0);
    size_t at = layout.size() + 1;
    const size_t digits = at;
    while (at < line.size() && line[at] >= L'0' && line[at] <= L'9') ++at;
    Require(at > digits && line.compare(at, 2, L": ") == 0);
  });
}

// The headless backend, whatever the environment says.
inline void UseHeadlessWindows() {
  setenv("QUORVEL_HEADLESS", "1", 1);
  unsetenv("DISPLAY");
}

}  // namespace fuzz_support
