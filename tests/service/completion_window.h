// A real window that records the workers' completion messages (6024, 6025), and a message
// loop that runs until a condition holds or a watchdog fails the test.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/app_messages.h"

namespace testing_support {

struct PostedMessage {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;

  bool operator==(const PostedMessage& other) const {
    return message == other.message && wparam == other.wparam && lparam == other.lparam;
  }
};

inline std::ostream& operator<<(std::ostream& out, const PostedMessage& posted) {
  return out << "{" << posted.message << ", " << posted.wparam << ", " << posted.lparam << "}";
}

class CompletionWindow {
 public:
  static constexpr UINT kWatchdogFired = WM_USER + 100;
  // Wakes the loop now and then, so that conditions no message announces are seen too.
  static constexpr UINT kTick = WM_USER + 101;
  static constexpr std::chrono::milliseconds kTickPeriod{10};

  CompletionWindow() {
    static const ATOM registered = [] {
      // Never a real display: the tests run the same on a desktop and on CI.
      ::setenv("QUORVEL_HEADLESS", "1", 1);
      WNDCLASSEXW window_class{};
      window_class.cbSize = sizeof window_class;
      window_class.lpfnWndProc = &CompletionWindow::Procedure;
      window_class.lpszClassName = kClassName;
      return RegisterClassExW(&window_class);
    }();
    EXPECT_NE(registered, 0);
    window_ = CreateWindowExW(0, kClassName, L"completions", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, nullptr, nullptr);
    EXPECT_NE(window_, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~CompletionWindow() {
    if (window_) DestroyWindow(window_);
  }
  CompletionWindow(const CompletionWindow&) = delete;
  CompletionWindow& operator=(const CompletionWindow&) = delete;

  HWND handle() const { return window_; }
  const std::vector<PostedMessage>& received() const { return received_; }

  // Dispatches this thread's messages until `done` holds; false (with a test failure) when
  // the watchdog fires first.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds watchdog) {
    watchdog_fired_ = false;
    std::mutex mutex;
    std::condition_variable finished;
    bool loop_over = false;
    HWND target = window_;
    std::thread watcher([&] {
      auto deadline = std::chrono::steady_clock::now() + watchdog;
      std::unique_lock<std::mutex> lock(mutex);
      while (!finished.wait_for(lock, kTickPeriod, [&] { return loop_over; })) {
        bool expired = std::chrono::steady_clock::now() >= deadline;
        PostMessageW(target, expired ? kWatchdogFired : kTick, 0, 0);
        if (expired) return;
      }
    });
    MSG message{};
    while (!done() && !watchdog_fired_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
      DispatchMessageW(&message);
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      loop_over = true;
    }
    finished.notify_all();
    watcher.join();
    DrainQueue();
    EXPECT_FALSE(watchdog_fired_) << "the watchdog fired before the workers finished";
    return !watchdog_fired_;
  }

  // Dispatches whatever is already queued.
  void DrainQueue() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }

 private:
  static constexpr const wchar_t* kClassName = L"QuorvelCompletionRecorder";

  static LRESULT Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<CompletionWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
      if (message == UM_CONFIG_DONE || message == UM_LOGIN_RESULT) {
        self->received_.push_back({message, wparam, lparam});
        return 0;
      }
      if (message == kWatchdogFired) {
        self->watchdog_fired_ = true;
        return 0;
      }
      if (message == kTick) return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  std::vector<PostedMessage> received_;
  bool watchdog_fired_ = false;
};

}  // namespace testing_support
