// A hidden window of the calling thread that engine events are posted to, and a bounded pump
// that takes them off the thread's queue. Used by the tests and the benchmark.
#pragma once

#include <windows.h>

#include <chrono>
#include <thread>

namespace media_test {

class EventWindow {
 public:
  EventWindow() {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.lpszClassName = L"QuorvelEventTarget";
    RegisterClassExW(&window_class);
    handle_ = CreateWindowExW(0, L"QuorvelEventTarget", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, nullptr, nullptr);
  }
  ~EventWindow() {
    if (IsWindow(handle_)) DestroyWindow(handle_);
  }
  EventWindow(const EventWindow&) = delete;
  EventWindow& operator=(const EventWindow&) = delete;

  HWND handle() const { return handle_; }
  void Destroy() { DestroyWindow(handle_); }

  // The next message posted to this thread, or false when none comes within the time.
  static bool Next(MSG& message, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  static bool QueueIsEmpty() {
    MSG message;
    return !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  }

 private:
  HWND handle_ = nullptr;
};

}  // namespace media_test
