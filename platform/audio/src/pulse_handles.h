// Owners of the sound server's C handles.
#pragma once

#include <pulse/pulseaudio.h>

#include <memory>

namespace audio {

struct MainloopFree {
  void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
};
using MainloopPtr = std::unique_ptr<pa_mainloop, MainloopFree>;

struct ContextClose {
  void operator()(pa_context* context) const {
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
};
using ContextPtr = std::unique_ptr<pa_context, ContextClose>;

// An operation given up on is cancelled first, so that its callback can never run later
// against data that is gone.
struct OperationDrop {
  void operator()(pa_operation* operation) const {
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) pa_operation_cancel(operation);
    pa_operation_unref(operation);
  }
};
using OperationPtr = std::unique_ptr<pa_operation, OperationDrop>;

}  // namespace audio
