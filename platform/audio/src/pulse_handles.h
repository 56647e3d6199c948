// Owners of the sound server's C handles, each closed through the library that made it.
#pragma once

#include <memory>

#include "pulse_library.h"

namespace audio {

struct MainloopFree {
  const PulseLibrary* pulse = nullptr;
  void operator()(pa_mainloop* loop) const { pulse->mainloop_free(loop); }
};
using MainloopPtr = std::unique_ptr<pa_mainloop, MainloopFree>;

struct ContextClose {
  const PulseLibrary* pulse = nullptr;
  void operator()(pa_context* context) const {
    pulse->context_disconnect(context);
    pulse->context_unref(context);
  }
};
using ContextPtr = std::unique_ptr<pa_context, ContextClose>;

// An operation given up on is cancelled first, so that its callback can never run later
// against data that is gone.
struct OperationDrop {
  const PulseLibrary* pulse = nullptr;
  void operator()(pa_operation* operation) const {
    if (pulse->operation_get_state(operation) == PA_OPERATION_RUNNING) {
      pulse->operation_cancel(operation);
    }
    pulse->operation_unref(operation);
  }
};
using OperationPtr = std::unique_ptr<pa_operation, OperationDrop>;

}  // namespace audio
