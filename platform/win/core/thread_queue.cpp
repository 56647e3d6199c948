#include "core/thread_queue.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>

#include "core/clock.h"

namespace win::core {

namespace {

std::mutex g_registry_mutex;
std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>>& Registry() {
  static auto* registry = new std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>>();
  return *registry;
}

// Closes the thread's queue when the thread ends, so that nobody waits on it forever.
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (!queue) return;
    queue->Close();
    std::lock_guard<std::mutex> lock(g_registry_mutex);
    Registry().erase(queue->thread_id());
  }
};

thread_local QueueHolder t_queue;

DWORD NewThreadId() {
  static std::atomic<DWORD> next{1000};
  return next.fetch_add(4);
}

}  // namespace

ThreadQueue::ThreadQueue(DWORD thread_id) : thread_id_(thread_id) {}

bool ThreadQueue::Post(const MSG& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return false;
  incoming_.push_back(message);
  if (waiting_) wakeup_.notify_one();
  return true;
}

bool ThreadQueue::PostTask(std::function<void(bool)> task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return false;
  tasks_.push_back(std::move(task));
  if (waiting_) wakeup_.notify_one();
  return true;
}

void ThreadQueue::RequestPaint(HWND window) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(paint_requests_.begin(), paint_requests_.end(), window) != paint_requests_.end())
    return;
  paint_requests_.push_back(window);
  paint_arrived_ = true;
  if (waiting_) wakeup_.notify_one();
}

void ThreadQueue::Wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  wake_pending_ = true;
  wakeup_.notify_one();
}

bool ThreadQueue::RunTasks() {
  bool ran = false;
  for (;;) {
    std::function<void(bool)> task;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (tasks_.empty()) return ran;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task(true);
    ran = true;
  }
}

void ThreadQueue::MoveIncoming() {
  std::vector<MSG> arrived;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (incoming_.empty()) return;
    arrived.swap(incoming_);
  }
  ready_.insert(ready_.end(), arrived.begin(), arrived.end());
}

std::optional<MSG> ThreadQueue::TakePosted(HWND window, UINT first, UINT last, bool remove,
                                           const std::function<bool(HWND, HWND)>& matches) {
  MoveIncoming();
  const bool any_number = first == 0 && last == 0;
  for (auto it = ready_.begin(); it != ready_.end(); ++it) {
    if (!any_number && (it->message < first || it->message > last)) continue;
    if (window != nullptr && !matches(window, it->hwnd)) continue;
    MSG found = *it;
    if (remove) ready_.erase(it);
    return found;
  }
  return std::nullopt;
}

std::optional<HWND> ThreadQueue::TakePaintRequest(HWND window,
                                                  const std::function<bool(HWND, HWND)>& matches) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = paint_requests_.begin(); it != paint_requests_.end(); ++it) {
    if (window != nullptr && !matches(window, *it)) continue;
    HWND found = *it;
    paint_requests_.erase(it);
    return found;
  }
  return std::nullopt;
}

void ThreadQueue::DropPaintRequest(HWND window) {
  std::lock_guard<std::mutex> lock(mutex_);
  paint_requests_.erase(std::remove(paint_requests_.begin(), paint_requests_.end(), window),
                        paint_requests_.end());
}

void ThreadQueue::DropMessagesOf(HWND window) {
  MoveIncoming();
  ready_.erase(std::remove_if(ready_.begin(), ready_.end(),
                              [window](const MSG& message) { return message.hwnd == window; }),
               ready_.end());
}

void ThreadQueue::Wait(const Clock& clock, std::optional<std::int64_t> deadline_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Only news count: messages already looked at and passed over by a filter do not.
  if (!wake_pending_ && incoming_.empty() && tasks_.empty() && !paint_arrived_) {
    waiting_ = true;
    clock.Wait(lock, wakeup_, deadline_ms);
    waiting_ = false;
  }
  wake_pending_ = false;
  paint_arrived_ = false;
}

void ThreadQueue::Close() {
  std::deque<std::function<void(bool)>> abandoned;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    abandoned.swap(tasks_);
  }
  // Sent messages among them answer their senders with 0.
  for (auto& task : abandoned) task(false);
}

ThreadQueue& CurrentQueue() { return *CurrentQueueShared(); }

std::shared_ptr<ThreadQueue> CurrentQueueShared() {
  if (!t_queue.queue) {
    auto queue = std::make_shared<ThreadQueue>(NewThreadId());
    std::lock_guard<std::mutex> lock(g_registry_mutex);
    Registry()[queue->thread_id()] = queue;
    t_queue.queue = std::move(queue);
  }
  return t_queue.queue;
}

DWORD CurrentThreadId() { return CurrentQueue().thread_id(); }

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD thread_id) {
  std::lock_guard<std::mutex> lock(g_registry_mutex);
  auto it = Registry().find(thread_id);
  return it == Registry().end() ? nullptr : it->second.lock();
}

void WakeAllQueues() {
  std::vector<std::shared_ptr<ThreadQueue>> queues;
  {
    std::lock_guard<std::mutex> lock(g_registry_mutex);
    for (auto& [id, weak] : Registry()) {
      if (auto queue = weak.lock()) queues.push_back(std::move(queue));
    }
  }
  for (auto& queue : queues) queue->Wake();
}

}  // namespace win::core
