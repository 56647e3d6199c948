// Where the engine's parts report events: each is written to the engine log by name and
// queued for the callback thread, in the order reported.
#pragma once

#include "callback_dispatcher.h"
#include "engine_log.h"

namespace rtc {

class EventSink {
 public:
  EventSink(CallbackDispatcher& dispatcher, EngineLog& log) : dispatcher_(dispatcher), log_(log) {}

  void Emit(const char* name, CallbackDispatcher::Event event) {
    log_.Write("event %s", name);
    dispatcher_.Post(std::move(event));
  }
  EngineLog& log() { return log_; }

 private:
  CallbackDispatcher& dispatcher_;
  EngineLog& log_;
};

}  // namespace rtc
