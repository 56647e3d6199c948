// One connection to the sound server for the length of one volume call, with one deadline
// for the connection and every request on it. The server's callbacks run only inside Await,
// on the calling thread. The first call loads the library (pulse_library.h).
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "pulse_handles.h"

namespace audio {

class PulseCall {
 public:
  // Connects at once, without starting a server when none runs.
  explicit PulseCall(std::chrono::milliseconds limit);
  PulseCall(const PulseCall&) = delete;
  PulseCall& operator=(const PulseCall&) = delete;

  bool connected() const { return failure_.empty(); }
  // Why the call went wrong, labelled by its step; empty while all is well.
  const std::string& failure() const { return failure_; }
  // Both valid while connected().
  const PulseLibrary& pulse() const { return *pulse_; }
  pa_context* context() const { return context_.get(); }

  // Serves the connection until the operation has completed; false (and failure set) when
  // it could not be started, the connection broke or the deadline passed.
  bool Await(pa_operation* started, const char* step);
  // Records a failure found by the caller in a reply.
  void Fail(const char* step, const std::string& why);

 private:
  bool ServeUntil(const std::function<bool()>& done, const char* step);
  std::string ServerError() const;

  std::chrono::steady_clock::time_point deadline_;
  std::chrono::milliseconds limit_;
  const PulseLibrary* pulse_;
  MainloopPtr loop_;
  ContextPtr context_;  // declared after the loop it runs on, so closed before it
  std::string failure_;
};

}  // namespace audio
