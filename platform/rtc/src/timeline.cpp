#include "timeline.h"

namespace rtc {

Timeline::Timeline(EngineClock& clock)
    : clock_(clock), wake_subscription_(clock_.OnAdvance([this] { Wake(); })) {
  thread_ = std::thread([this] { Run(); });
}

Timeline::~Timeline() { Stop(); }

Timeline::TaskId Timeline::At(Millis due, Task task) {
  std::lock_guard<std::mutex> lock(mutex_);
  TaskId id = next_id_++;
  pending_.emplace(std::make_pair(due, id), Entry{id, 0, std::move(task)});
  changed_.notify_one();
  return id;
}

Timeline::TaskId Timeline::Every(Millis period, Task task) {
  std::lock_guard<std::mutex> lock(mutex_);
  TaskId id = next_id_++;
  pending_.emplace(std::make_pair(clock_.Now() + period, id), Entry{id, period, std::move(task)});
  changed_.notify_one();
  return id;
}

void Timeline::Cancel(TaskId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (it->second.id == id) {
      pending_.erase(it);
      return;
    }
  }
}

void Timeline::Stop() {
  clock_.CancelOnAdvance(wake_subscription_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    pending_.clear();
    changed_.notify_one();
  }
  if (thread_.joinable()) thread_.join();
}

void Timeline::Wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  changed_.notify_one();
}

void Timeline::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (pending_.empty()) {
      changed_.wait(lock);
      continue;
    }
    Millis due = pending_.begin()->first.first;
    if (due > clock_.Now()) {
      auto wake = clock_.WakeTime(due);
      if (wake == std::chrono::steady_clock::time_point::max()) {
        changed_.wait(lock);
      } else {
        changed_.wait_until(lock, wake);
      }
      continue;
    }
    Entry entry = std::move(pending_.begin()->second);
    pending_.erase(pending_.begin());
    if (entry.period > 0) {
      // Re-armed before it runs, so that the task can cancel itself by its id.
      pending_.emplace(std::make_pair(due + entry.period, entry.id), entry);
    }
    lock.unlock();
    entry.task();
    lock.lock();
  }
}

}  // namespace rtc
