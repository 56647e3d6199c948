#include "tools/peer/stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <csignal>

namespace {

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

StopSignals::StopSignals() {
  // An ignored signal is dropped even while blocked, and shells start background jobs with
  // SIGINT ignored: sigwait must still see it.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  watcher_ = std::thread([this] { Watch(); });
}

StopSignals::~StopSignals() {
  closing_ = true;
  // The watcher never ends by itself: a signal aimed at it is what ends its sigwait.
  pthread_kill(watcher_.native_handle(), SIGTERM);
  watcher_.join();
}

void StopSignals::Watch() {
  const sigset_t set = StopSet();
  for (;;) {
    int received = 0;
    if (sigwait(&set, &received) != 0 || closing_) return;
    stopped_ = true;
    Wake();
  }
}

void StopSignals::WaitUntil(Clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_until(lock, deadline, [this] { return woken_; });
  woken_ = false;
}

void StopSignals::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
  }
  changed_.notify_all();
}
