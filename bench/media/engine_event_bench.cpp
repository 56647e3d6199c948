// An engine event from the callback to handled-and-freed: the bridge allocates and posts, the
// user-interface side takes the message off its queue, reads the record and frees it.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <windows.h>

#include <thread>

#include "media/engine_event_bridge.h"
#include "media/engine_events.h"
#include "tests/media/event_window.h"

namespace {

// Handles one message as a receiver does: reads what it acts on, frees everything.
int64_t Handle(const MSG& message) {
  int64_t seen = 0;
  if (message.message == EngineEventMessage(EID_JOIN_SUCCESS)) {
    seen = AdoptEngineEvent<EID_JOIN_SUCCESS>(message.wParam)->uid;
  } else if (message.message == EngineEventMessage(EID_NETWORK_QUALITY)) {
    seen = AdoptEngineEvent<EID_NETWORK_QUALITY>(message.wParam)->rx_quality;
  } else {
    FreeEngineEvent(message.message, message.wParam);
  }
  return seen;
}

// One event of each common kind, as the engine's thread sends them.
void SendMix(CAGEngineEventHandler& bridge, int64_t i) {
  static const rtc::AudioVolumeInfo speakers[] = {{0, 100}, {7, 90}, {8, 80}};
  switch (i % 4) {
    case 0:
      bridge.onJoinChannelSuccess("lesson-channel", 1001, 20);
      break;
    case 1:
      bridge.onNetworkQuality(7, 2, 3);
      break;
    case 2:
      bridge.onAudioVolumeIndication(speakers, 3, 100);
      break;
    default:
      bridge.onVideoDeviceStateChanged("virtual:test-pattern", 3, 1);
      break;
  }
}

// Callback and handling on one thread: the cost of the road itself.
void BM_EventRoundTrip(benchmark::State& state) {
  media_test::EventWindow window;
  CAGEngineEventHandler bridge;
  bridge.SetTargetWindow(window.handle());
  int64_t i = 0;
  MSG message;
  for (auto _ : state) {
    SendMix(bridge, i++);
    PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    benchmark::DoNotOptimize(Handle(message));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventRoundTrip);

// An engine thread sends a burst while the user-interface thread handles them as they come.
void BM_EventsAcrossThreads(benchmark::State& state) {
  const int64_t burst = state.range(0);
  media_test::EventWindow window;
  CAGEngineEventHandler bridge;
  bridge.SetTargetWindow(window.handle());
  for (auto _ : state) {
    std::thread engine([&] {
      for (int64_t i = 0; i < burst; ++i) SendMix(bridge, i);
    });
    MSG message;
    for (int64_t handled = 0; handled < burst;) {
      if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
      Handle(message);
      ++handled;
    }
    engine.join();
  }
  state.SetItemsProcessed(state.iterations() * burst);
}
BENCHMARK(BM_EventsAcrossThreads)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

// The heap after a million events handled and freed, against the heap before them.
void BM_HeapAfterAMillionEvents(benchmark::State& state) {
  media_test::EventWindow window;
  CAGEngineEventHandler bridge;
  bridge.SetTargetWindow(window.handle());
  MSG message;
  // Warm the queue's own storage first, so that only growth from the events counts.
  for (int64_t i = 0; i < 10000; ++i) {
    SendMix(bridge, i);
    PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    Handle(message);
  }
  size_t before = mallinfo2().uordblks;
  for (auto _ : state) {
    for (int64_t i = 0; i < 1000000; ++i) {
      SendMix(bridge, i);
      PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
      Handle(message);
    }
  }
  size_t after = mallinfo2().uordblks;
  state.counters["heap_growth_bytes"] = static_cast<double>(after > before ? after - before : 0);
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_HeapAfterAMillionEvents)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
