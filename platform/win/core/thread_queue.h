// One message queue per user-interface thread.
//
// Other threads only push: posted messages (kept in each poster's order) and tasks (sent
// messages, and the backends' events, run on the owner thread). The lock is held only to push
// or to swap the incoming messages out; the owner then reads them with the lock released.
// Timers, the quit flag and the ready list belong to the owner thread alone.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace win::core {

class Clock;

struct Timer {
  HWND window;
  UINT_PTR id;
  std::int64_t period_ms;
  std::int64_t due_ms;
  TIMERPROC callback;
};

class ThreadQueue {
 public:
  explicit ThreadQueue(DWORD thread_id);
  ThreadQueue(const ThreadQueue&) = delete;
  ThreadQueue& operator=(const ThreadQueue&) = delete;

  DWORD thread_id() const { return thread_id_; }

  // Any thread. False once the owner thread has ended.
  bool Post(const MSG& message);
  // The task runs on the owner thread with true, or with false when the queue ends first.
  bool PostTask(std::function<void(bool deliver)> task);
  void RequestPaint(HWND window);
  void Wake();

  // Owner thread only.
  // Runs the pending tasks; true when at least one ran.
  bool RunTasks();
  // The first posted message matching the filter, removed when remove is true.
  std::optional<MSG> TakePosted(HWND window, UINT first, UINT last, bool remove,
                                const std::function<bool(HWND, HWND)>& matches);
  std::optional<HWND> TakePaintRequest(HWND window, const std::function<bool(HWND, HWND)>& matches);
  void DropPaintRequest(HWND window);
  // Puts a message first in line (a translated character goes before later input).
  void PushFront(const MSG& message) { ready_.push_front(message); }
  // Drops the ready messages of a window that no longer exists.
  void DropMessagesOf(HWND window);
  // Blocks until something arrives or the deadline of the clock passes.
  void Wait(const Clock& clock, std::optional<std::int64_t> deadline_ms);
  // Ends the queue: later posts fail, and waiting senders are released.
  void Close();

  std::vector<Timer>& timers() { return timers_; }
  bool quit_pending = false;
  int quit_code = 0;

 private:
  void MoveIncoming();

  const DWORD thread_id_;
  std::mutex mutex_;
  std::condition_variable wakeup_;
  std::vector<MSG> incoming_;
  std::deque<std::function<void(bool)>> tasks_;
  std::vector<HWND> paint_requests_;
  bool wake_pending_ = false;
  bool paint_arrived_ = false;
  bool waiting_ = false;
  bool closed_ = false;

  std::deque<MSG> ready_;  // owner only
  std::vector<Timer> timers_;
};

// The calling thread's queue, created on first use and closed when the thread ends.
ThreadQueue& CurrentQueue();
std::shared_ptr<ThreadQueue> CurrentQueueShared();
DWORD CurrentThreadId();
// The queue of a thread by id, if that thread has one.
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD thread_id);
// Wakes every queue (the virtual clock moved).
void WakeAllQueues();

}  // namespace win::core
