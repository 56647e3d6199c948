// quorvel-peer: a lesson participant without a window, for scripts and tests. It enters the
// lesson as the client does, sends the engine's test pattern and tone, and prints one JSON
// line a second of what it receives (see peer_report.h) until it is told to stop.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tools/peer/lesson_login.h"
#include "tools/peer/peer_engine.h"
#include "tools/peer/peer_options.h"
#include "tools/peer/peer_report.h"
#include "tools/peer/stop_signals.h"

namespace {

int Fail(const std::string& text) {
  std::cout << ErrorLine(text) << std::endl;
  return 1;
}

int Run(const PeerOptions& options, StopSignals& stop) {
  std::variant<LessonEntry, std::string> entered = EnterLesson(options.code, stop.stopped());
  // Stopped while a request was under way: nothing failed.
  if (stop.stopped()) return 0;
  if (const auto* failure = std::get_if<std::string>(&entered)) return Fail(*failure);

  // Declared before the engine, which calls it until released.
  PeerReport report([&stop] { stop.Wake(); });
  auto joined = PeerEngine::Join(std::get<LessonEntry>(entered), options, report);
  if (const auto* failure = std::get_if<std::string>(&joined)) return Fail(*failure);

  const StopSignals::Clock::time_point start = StopSignals::Clock::now();
  int second = 0;
  while (!options.seconds || second < *options.seconds) {
    const auto next = start + std::chrono::seconds(second + 1);
    stop.WaitUntil(next);
    if (stop.stopped()) break;
    if (std::optional<std::string> failure = report.Failure()) return Fail(*failure);
    if (StopSignals::Clock::now() < next) continue;
    ++second;
    std::cout << report.NextLine(second) << std::endl;
    // Nobody reads the report any more (SIGPIPE is ignored): leave.
    if (!std::cout) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::variant<PeerOptions, std::string> parsed =
      ParsePeerOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* reason = std::get_if<std::string>(&parsed)) {
    std::cerr << "quorvel-peer: " << *reason << "\n" << kPeerUsage;
    return 2;
  }
  const PeerOptions& options = std::get<PeerOptions>(parsed);
  // Set while the process has one thread: the service client and the engine read it.
  if (options.api_base) ::setenv("QUORVEL_API_BASE", options.api_base->c_str(), 1);
  std::signal(SIGPIPE, SIG_IGN);
  StopSignals stop;
  return Run(options, stop);
}
