// The last-mile probe: while it runs, one network quality sample every 200 ms. The scenario's
// series gives the samples when it has one (its last value repeating); otherwise they are
// measured on a stream that the media server echoes (EchoProbe).
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "event_sink.h"
#include "net/echo_probe.h"
#include "timeline.h"

namespace rtc {

// The lesson service's host, where the media server is by default: host and port of
// QUORVEL_API_BASE ("http://host:port/..." or "host:port"), 127.0.0.1:8787 when it is not set.
struct ProbeTarget {
  std::string host;
  std::string port;
};
std::optional<ProbeTarget> ParseProbeTarget(const std::string& api_base);
ProbeTarget DefaultProbeTarget();

class LastmileProbe {
 public:
  static constexpr Millis kSamplePeriodMs = EchoProbe::kSamplePeriodMs;

  LastmileProbe(std::vector<int> series, Timeline& timeline, EventSink& sink);
  ~LastmileProbe();
  LastmileProbe(const LastmileProbe&) = delete;
  LastmileProbe& operator=(const LastmileProbe&) = delete;

  // media_server: the HTTP API's address the echo goes to. ERR_REFUSED when already running
  // (or not running, for Stop).
  int Start(const std::string& media_server);
  int Stop();

 private:
  void EmitSample(int quality);

  const std::vector<int> series_;
  Timeline& timeline_;
  EventSink& sink_;

  std::mutex mutex_;
  bool running_ = false;
  std::size_t next_sample_ = 0;
  Timeline::TaskId series_task_ = 0;
  EchoProbe echo_;
};

}  // namespace rtc
