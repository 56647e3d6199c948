// Timed work of one engine, run in due order on the timeline's own thread.
//
// Tasks run without the timeline's lock held, so a task may schedule or cancel others. Stop()
// (also run by the destructor) drops what is pending and returns once no task runs any more.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "engine_clock.h"

namespace rtc {

class Timeline {
 public:
  using TaskId = uint64_t;
  using Task = std::function<void()>;

  explicit Timeline(EngineClock& clock);
  ~Timeline();
  Timeline(const Timeline&) = delete;
  Timeline& operator=(const Timeline&) = delete;

  // Runs task once at the engine time `due` (at once when that has passed).
  TaskId At(Millis due, Task task);
  TaskId After(Millis delay, Task task) { return At(clock_.Now() + delay, std::move(task)); }
  // Runs task every period, the first time one period from now, until cancelled.
  TaskId Every(Millis period, Task task);
  void Cancel(TaskId id);
  void Stop();

 private:
  struct Entry {
    TaskId id;
    Millis period;  // 0 for a task that runs once
    Task task;
  };
  void Run();
  void Wake();

  EngineClock& clock_;
  EngineClock::Subscription wake_subscription_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // Keyed by due time, then by id, so that tasks due together run in the order given.
  std::multimap<std::pair<Millis, TaskId>, Entry> pending_;
  TaskId next_id_ = 1;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace rtc
