#include <pulse/pulseaudio.h>

#include <chrono>
#include <memory>

#include "device_sources.h"

namespace rtc {
namespace {

constexpr auto kPulseTimeout = std::chrono::milliseconds(500);

struct MainloopFree {
  void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
};
struct ContextFree {
  void operator()(pa_context* context) const {
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
};
struct OperationUnref {
  void operator()(pa_operation* operation) const { pa_operation_unref(operation); }
};

struct Listing {
  std::vector<DeviceInfo>* sources;
  std::vector<DeviceInfo>* sinks;
  int pending = 0;
};

void OnSource(pa_context*, const pa_source_info* info, int eol, void* data) {
  auto* listing = static_cast<Listing*>(data);
  if (eol != 0) {
    --listing->pending;
    return;
  }
  if (info->monitor_of_sink != PA_INVALID_INDEX) return;
  listing->sources->push_back(DeviceInfo{std::string("pulse:") + info->name,
                                         info->description ? info->description : info->name, ""});
}

void OnSink(pa_context*, const pa_sink_info* info, int eol, void* data) {
  auto* listing = static_cast<Listing*>(data);
  if (eol != 0) {
    --listing->pending;
    return;
  }
  listing->sinks->push_back(DeviceInfo{std::string("pulse:") + info->name,
                                       info->description ? info->description : info->name, ""});
}

// One turn of the loop that waits no later than deadline.
void Iterate(pa_mainloop* loop, std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::microseconds>(
      deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return;
  if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0) return;
  if (pa_mainloop_poll(loop) < 0) return;
  pa_mainloop_dispatch(loop);
}

}  // namespace

void ListPulseDevices(std::vector<DeviceInfo>& sources, std::vector<DeviceInfo>& sinks) {
  std::unique_ptr<pa_mainloop, MainloopFree> loop(pa_mainloop_new());
  if (!loop) return;
  std::unique_ptr<pa_context, ContextFree> context(
      pa_context_new(pa_mainloop_get_api(loop.get()), "quorvel-rtc"));
  if (!context) return;
  if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return;

  auto deadline = std::chrono::steady_clock::now() + kPulseTimeout;
  auto in_time = [&] { return std::chrono::steady_clock::now() < deadline; };
  pa_context_state_t state = PA_CONTEXT_UNCONNECTED;
  while (in_time()) {
    state = pa_context_get_state(context.get());
    if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) break;
    Iterate(loop.get(), deadline);
  }
  if (state != PA_CONTEXT_READY) return;

  std::vector<DeviceInfo> found_sources;
  std::vector<DeviceInfo> found_sinks;
  Listing listing{&found_sources, &found_sinks, 2};
  std::unique_ptr<pa_operation, OperationUnref> source_op(
      pa_context_get_source_info_list(context.get(), OnSource, &listing));
  std::unique_ptr<pa_operation, OperationUnref> sink_op(
      pa_context_get_sink_info_list(context.get(), OnSink, &listing));
  if (!source_op || !sink_op) return;
  while (listing.pending > 0 && in_time()) Iterate(loop.get(), deadline);
  if (listing.pending > 0) return;
  sources = std::move(found_sources);
  sinks = std::move(found_sinks);
}

}  // namespace rtc
