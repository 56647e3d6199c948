#include "first_paint_probe.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <win/surface.h>

#include "diagnostics.h"

namespace ui {

namespace {

// The class asked for, read once; empty when the probe is off.
const std::wstring& ProbedClass() {
  static const std::wstring probed = [] {
    const char* value = std::getenv("QUORVEL_PROBE_FIRST_PAINT");
    return value != nullptr ? Widen(value) : std::wstring();
  }();
  return probed;
}

}  // namespace

void NoteWindowPainted(HWND window) {
  const std::wstring& probed = ProbedClass();
  if (probed.empty() || !IsWindowVisible(window)) return;
  wchar_t name[256] = {};
  if (GetClassNameW(window, name, 256) == 0 || probed != name) return;
  // The stamp is for the picture on the screen, not one still waiting for the turn's end.
  win::FinishPresents();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::printf("first-paint %s %lld\n", Narrow(probed).c_str(),
              static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  std::fflush(stdout);
  // Nothing after the picture is measured, so nothing of the shutdown is run.
  _exit(0);
}

}  // namespace ui
