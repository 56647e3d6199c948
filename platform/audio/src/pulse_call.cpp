#include "pulse_call.h"

#include <algorithm>
#include <climits>

namespace audio {

PulseCall::PulseCall(std::chrono::milliseconds limit)
    : deadline_(std::chrono::steady_clock::now() + limit),
      limit_(limit),
      pulse_(LoadPulse().library),
      loop_(nullptr, MainloopFree{pulse_}),
      context_(nullptr, ContextClose{pulse_}) {
  if (pulse_ == nullptr) {
    Fail("connect", LoadPulse().failure);
    return;
  }
  loop_.reset(pulse_->mainloop_new());
  if (!loop_) {
    Fail("connect", "no main loop");
    return;
  }
  context_.reset(pulse_->context_new(pulse_->mainloop_get_api(loop_.get()), "quorvel"));
  if (!context_) {
    Fail("connect", "no context");
    return;
  }
  // No autospawn: starting a server of our own would hide that none is there.
  if (pulse_->context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    Fail("connect", ServerError());
    return;
  }
  ServeUntil([this] { return pulse_->context_get_state(context_.get()) == PA_CONTEXT_READY; },
             "connect");
}

bool PulseCall::Await(pa_operation* started, const char* step) {
  if (!connected()) return false;
  if (started == nullptr) {
    Fail(step, ServerError());
    return false;
  }
  OperationPtr operation(started, OperationDrop{pulse_});
  return ServeUntil(
      [&] { return pulse_->operation_get_state(operation.get()) != PA_OPERATION_RUNNING; }, step);
}

void PulseCall::Fail(const char* step, const std::string& why) {
  if (failure_.empty()) failure_ = std::string(step) + ": " + why;
}

bool PulseCall::ServeUntil(const std::function<bool()>& done, const char* step) {
  using std::chrono::microseconds;
  while (!done()) {
    if (!PA_CONTEXT_IS_GOOD(pulse_->context_get_state(context_.get()))) {
      Fail(step, ServerError());
      return false;
    }
    const auto left =
        std::chrono::duration_cast<microseconds>(deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      Fail(step, "no answer within " + std::to_string(limit_.count()) + " ms");
      return false;
    }
    const int wait_us = static_cast<int>(std::min<microseconds::rep>(left.count(), INT_MAX));
    if (pulse_->mainloop_prepare(loop_.get(), wait_us) < 0 ||
        pulse_->mainloop_poll(loop_.get()) < 0 || pulse_->mainloop_dispatch(loop_.get()) < 0) {
      Fail(step, "the main loop stopped");
      return false;
    }
  }
  return true;
}

std::string PulseCall::ServerError() const {
  return pulse_->strerror(pulse_->context_errno(context_.get()));
}

}  // namespace audio
