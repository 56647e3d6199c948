// The peer's one wait: until a deadline, until SIGINT or SIGTERM arrives, or until another
// thread wakes it.
//
// The signals are blocked in every thread and taken by a thread of this object with sigwait,
// so no work ever runs in a signal handler. Construct it first in main, before any other
// thread exists, so that every later thread inherits the blocked signals.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class StopSignals {
 public:
  using Clock = std::chrono::steady_clock;

  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once SIGINT or SIGTERM arrived; also the cancel flag of a running transfer.
  const std::atomic<bool>& stopped() const { return stopped_; }
  // Returns at the deadline, at a signal, or at Wake, whichever comes first.
  void WaitUntil(Clock::time_point deadline);
  // Safe from any thread.
  void Wake();

 private:
  void Watch();

  std::atomic<bool> stopped_{false};
  std::atomic<bool> closing_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool woken_ = false;
  std::thread watcher_;
};
