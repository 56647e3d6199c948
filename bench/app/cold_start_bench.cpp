// The program's start until the login view's first picture: each run forks, starts the real
// program file with QUORVEL_PROBE_FIRST_PAINT=LoginView (the window library then prints a
// CLOCK_MONOTONIC stamp at that paint and ends the process at once), and times the span from
// just before the fork to the stamp. Headless, and on the X display that DISPLAY names
// (skipped without one). Beside the span: the program's own CPU time, and the span less the
// time its main thread waited for a CPU, since a loaded machine stretches the span itself.
// On X a bare Xlib program (bare_x11_window.cpp), timed the same way, is the baseline.
#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace {

// A run that has not painted by then is a failure, not a figure.
constexpr int kGiveUpMs = 10000;

std::int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

enum class Backend { kHeadless, kX11 };

// The child's environment: this one's, with the probe armed, a settings folder of its own, an
// English locale and a lesson service address where nothing listens (the configuration request
// starts at once but is not waited for).
void PrepareChildEnvironment(Backend backend, const std::string& config_folder) {
  ::setenv("QUORVEL_PROBE_FIRST_PAINT", "LoginView", 1);
  ::setenv("XDG_CONFIG_HOME", config_folder.c_str(), 1);
  ::setenv("QUORVEL_API_BASE", "http://127.0.0.1:9", 1);
  ::setenv("LANG", "en_US.UTF-8", 1);
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::unsetenv("QUORVEL_DEBUG");
  ::unsetenv("QUORVEL_HEADLESS_CLOCK");
  if (backend == Backend::kHeadless) {
    ::setenv("QUORVEL_HEADLESS", "1", 1);
  } else {
    ::unsetenv("QUORVEL_HEADLESS");
  }
}

// The stamp the child printed, or nullopt (the child is ended) when it printed none in time.
std::optional<std::int64_t> ReadStamp(int from_child, pid_t child) {
  std::string printed;
  const std::int64_t give_up = MonotonicNs() + std::int64_t{kGiveUpMs} * 1000000;
  char buffer[256];
  while (printed.find('\n') == std::string::npos) {
    const int left_ms = static_cast<int>((give_up - MonotonicNs()) / 1000000);
    pollfd wanted{from_child, POLLIN, 0};
    if (left_ms <= 0 || ::poll(&wanted, 1, left_ms) <= 0) break;
    const ssize_t got = ::read(from_child, buffer, sizeof buffer);
    if (got <= 0) break;
    printed.append(buffer, static_cast<std::size_t>(got));
  }
  long long stamp = 0;
  if (std::sscanf(printed.c_str(), "first-paint %*s %lld", &stamp) == 1) return stamp;
  ::kill(child, SIGKILL);
  return std::nullopt;
}

struct Start {
  double seconds = 0;         // from before the fork to the stamp
  double cpu_seconds = 0;     // the child's own user and system time
  double queued_seconds = 0;  // how long its main thread waited for a CPU that others held
};

// The main thread's time spent runnable but not running (the second field of schedstat), read
// while the child is still there (running its exit, or a zombie until it is waited for).
double QueuedSeconds(pid_t child) {
  std::FILE* file = std::fopen(("/proc/" + std::to_string(child) + "/schedstat").c_str(), "r");
  if (file == nullptr) return 0;
  unsigned long long running = 0;
  unsigned long long waiting = 0;
  const int read = std::fscanf(file, "%llu %llu", &running, &waiting);
  std::fclose(file);
  return read == 2 ? static_cast<double>(waiting) / 1e9 : 0;
}

std::optional<Start> StartOnce(const char* program, Backend backend,
                               const std::string& config_folder) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) return std::nullopt;
  const std::int64_t before = MonotonicNs();
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    ::dup2(pipe_ends[1], STDOUT_FILENO);
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    PrepareChildEnvironment(backend, config_folder);
    ::execl(program, program, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe_ends[1]);
  const std::optional<std::int64_t> stamp = ReadStamp(pipe_ends[0], child);
  const double queued = stamp ? QueuedSeconds(child) : 0;
  ::close(pipe_ends[0]);
  int status = 0;
  rusage used{};
  ::wait4(child, &status, 0, &used);
  if (!stamp) return std::nullopt;
  auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  return Start{static_cast<double>(*stamp - before) / 1e9,
               seconds(used.ru_utime) + seconds(used.ru_stime), queued};
}

void ColdStart(benchmark::State& state, Backend backend, const char* program) {
  if (backend == Backend::kX11 &&
      (std::getenv("DISPLAY") == nullptr || std::getenv("QUORVEL_HEADLESS") != nullptr)) {
    state.SkipWithError("no X display (DISPLAY unset or QUORVEL_HEADLESS set)");
    return;
  }
  std::string folder = (std::filesystem::temp_directory_path() / "quorvel-start-XXXXXX");
  if (::mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  for (auto _ : state) {
    const std::optional<Start> start = StartOnce(program, backend, folder);
    if (!start) {
      state.SkipWithError("the started program never printed its first-paint stamp");
      break;
    }
    state.SetIterationTime(start->seconds);
    state.counters["cpu_ms"] = start->cpu_seconds * 1000.0;
    // The span less the main thread's waits for a CPU: what an idle machine would show.
    state.counters["unqueued_ms"] = (start->seconds - start->queued_seconds) * 1000.0;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

// One start a run, nine runs, their median reported.
void NineStarts(benchmark::internal::Benchmark* benchmark) {
  benchmark->Iterations(1)
      ->Repetitions(9)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->ReportAggregatesOnly(true);
}

void BM_ColdStartHeadless(benchmark::State& state) {
  ColdStart(state, Backend::kHeadless, QUORVEL_PROGRAM_PATH);
}
BENCHMARK(BM_ColdStartHeadless)->Apply(NineStarts);

void BM_ColdStartX11(benchmark::State& state) {
  ColdStart(state, Backend::kX11, QUORVEL_PROGRAM_PATH);
}
BENCHMARK(BM_ColdStartX11)->Apply(NineStarts);

void BM_ColdStartBareX11(benchmark::State& state) {
  ColdStart(state, Backend::kX11, QUORVEL_BARE_X11_PATH);
}
BENCHMARK(BM_ColdStartBareX11)->Apply(NineStarts);

}  // namespace
