// The engine's callback thread: events are queued in the order they happen and handed to the
// event handler one by one, so a callback never runs inside the engine call that caused it and
// never overtakes an earlier one.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "rtc/rtc_event_handler.h"

namespace rtc {

class CallbackDispatcher {
 public:
  using Event = std::function<void(IRtcEngineEventHandler&)>;

  CallbackDispatcher();
  // Delivers what is queued, then stops.
  ~CallbackDispatcher();
  CallbackDispatcher(const CallbackDispatcher&) = delete;
  CallbackDispatcher& operator=(const CallbackDispatcher&) = delete;

  // Events posted while no handler is set are dropped.
  void SetHandler(IRtcEngineEventHandler* handler);
  void Post(Event event);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<Event> queue_;
  IRtcEngineEventHandler* handler_ = nullptr;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace rtc
