// Window timers: kept by the queue of the window's thread, fired by its message retrieval.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "core/dispatch.h"
#include "core/thread_queue.h"

namespace {

// Windows' own floor for timer periods.
constexpr UINT kMinimumPeriodMs = 10;

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse_ms, TIMERPROC callback) {
  if (window != nullptr && !win::core::OwnedByCurrentThread(window)) return 0;
  auto& timers = win::core::CurrentQueue().timers();
  if (window == nullptr) {
    // Thread timers get ids of their own; a known id is replaced.
    static std::atomic<UINT_PTR> next_id{0x7F00};
    bool known = std::any_of(timers.begin(), timers.end(), [&](const win::core::Timer& timer) {
      return timer.window == nullptr && timer.id == id;
    });
    if (!known) id = next_id.fetch_add(1);
  }
  const std::int64_t period = std::max(elapse_ms, kMinimumPeriodMs);
  const std::int64_t due = win::core::TheBackend().clock().NowMs() + period;
  for (auto& timer : timers) {
    if (timer.window == window && timer.id == id) {
      timer.period_ms = period;
      timer.due_ms = due;
      timer.callback = callback;
      return id == 0 ? 1 : id;
    }
  }
  timers.push_back(win::core::Timer{window, id, period, due, callback});
  return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  auto& timers = win::core::CurrentQueue().timers();
  auto it = std::find_if(timers.begin(), timers.end(), [&](const win::core::Timer& timer) {
    return timer.window == window && timer.id == id;
  });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}

namespace win::core {

void ForgetTimers(HWND window) {
  auto& timers = CurrentQueue().timers();
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [window](const Timer& timer) { return timer.window == window; }),
               timers.end());
}

}  // namespace win::core
