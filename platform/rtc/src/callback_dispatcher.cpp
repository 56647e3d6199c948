#include "callback_dispatcher.h"

namespace rtc {

CallbackDispatcher::CallbackDispatcher() : thread_([this] { Run(); }) {}

CallbackDispatcher::~CallbackDispatcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    queued_.notify_one();
  }
  thread_.join();
}

void CallbackDispatcher::SetHandler(IRtcEngineEventHandler* handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = handler;
}

void CallbackDispatcher::Post(Event event) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handler_ == nullptr) return;
  queue_.push_back(std::move(event));
  queued_.notify_one();
}

void CallbackDispatcher::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;
    Event event = std::move(queue_.front());
    queue_.pop_front();
    IRtcEngineEventHandler* handler = handler_;
    lock.unlock();
    event(*handler);
    lock.lock();
  }
}

}  // namespace rtc
