// Messages posted from another thread to a window: how many reach the handler per second,
// and how long one takes from post to handler when the user-interface thread is idle.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr UINT kWork = WM_USER + 1;
constexpr UINT kStamped = WM_USER + 2;

const bool kHeadless = [] { return setenv("QUORVEL_HEADLESS", "1", 1) == 0; }();

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::int64_t g_handled = 0;
std::vector<std::int64_t>* g_latencies = nullptr;
std::atomic<bool> g_latency_seen{false};

LRESULT CALLBACK BenchProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kWork) {
    ++g_handled;
    return 0;
  }
  if (message == kStamped) {
    g_latencies->push_back(NowNs() - static_cast<std::int64_t>(lparam));
    g_latency_seen.store(true, std::memory_order_release);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND BenchWindow() {
  static HWND window = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = BenchProcedure;
    window_class.lpszClassName = L"MessageBench";
    RegisterClassExW(&window_class);
    return CreateWindowExW(0, L"MessageBench", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
  }();
  return window;
}

void Pump(std::int64_t until_handled) {
  MSG message{};
  while (g_handled < until_handled && GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
  }
}

void BM_PostFromAnotherThreadToHandler(benchmark::State& state) {
  HWND window = BenchWindow();
  const std::int64_t batch = state.range(0);
  for (auto _ : state) {
    g_handled = 0;
    std::thread poster([&] {
      for (std::int64_t i = 0; i < batch; ++i) PostMessageW(window, kWork, 0, i);
    });
    Pump(batch);
    poster.join();
  }
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_PostFromAnotherThreadToHandler)
    ->Arg(100000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_PostToHandlerLatencyIdle(benchmark::State& state) {
  HWND window = BenchWindow();
  std::vector<std::int64_t> latencies;
  latencies.reserve(static_cast<size_t>(state.max_iterations) + 1);
  g_latencies = &latencies;
  std::atomic<bool> stop{false};
  std::atomic<int> requested{0};
  // The poster waits for each message to be handled, then lets the receiver fall asleep in
  // GetMessageW before the next post, so every sample wakes an idle thread.
  std::thread poster([&] {
    int sent = 0;
    while (!stop.load()) {
      if (requested.load() > sent) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        g_latency_seen.store(false);
        PostMessageW(window, kStamped, 0, static_cast<LPARAM>(NowNs()));
        ++sent;
      } else {
        std::this_thread::yield();
      }
    }
  });
  MSG message{};
  for (auto _ : state) {
    requested.fetch_add(1);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      DispatchMessageW(&message);
      if (message.message == kStamped) break;
    }
  }
  stop = true;
  poster.join();
  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double fraction) {
    return latencies.empty()
               ? 0.0
               : static_cast<double>(
                     latencies[static_cast<size_t>(fraction * (latencies.size() - 1))]) /
                     1000.0;
  };
  state.counters["p50_us"] = at(0.50);
  state.counters["p99_us"] = at(0.99);
  state.counters["max_us"] = at(1.0);
  g_latencies = nullptr;
}
BENCHMARK(BM_PostToHandlerLatencyIdle)
    ->Iterations(5000)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

double ThreadCpuUs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// An idle loop sleeps in GetMessageW: the CPU it uses over 100 ms of waiting.
void BM_IdleLoopCpu(benchmark::State& state) {
  HWND window = BenchWindow();
  double cpu_us = 0;
  for (auto _ : state) {
    g_handled = 0;
    std::thread waker([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      PostMessageW(window, kWork, 0, 0);
    });
    const double before = ThreadCpuUs();
    Pump(1);
    cpu_us += ThreadCpuUs() - before;
    waker.join();
  }
  state.counters["cpu_us_per_100ms_idle"] = cpu_us / static_cast<double>(state.iterations());
}
BENCHMARK(BM_IdleLoopCpu)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
