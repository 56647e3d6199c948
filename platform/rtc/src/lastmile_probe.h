// The last-mile probe: while it runs, one network quality sample every 200 ms. The scenario's
// series gives the samples when it has one (its last value repeating); otherwise they are
// measured from the round-trip time and loss of small TCP connection probes to the lesson
// service's host.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "event_sink.h"
#include "timeline.h"

namespace rtc {

// Where the probes go: host and port of QUORVEL_API_BASE ("http://host:port/..." or
// "host:port"), 127.0.0.1:8787 when it is not set.
struct ProbeTarget {
  std::string host;
  std::string port;
};
std::optional<ProbeTarget> ParseProbeTarget(const std::string& api_base);
ProbeTarget DefaultProbeTarget();

// The quality a window of probes shows, by the thresholds below.
int QualityFromProbes(int answered, int lost, int64_t mean_rtt_ms);

class LastmileProbe {
 public:
  static constexpr Millis kSamplePeriodMs = 200;

  LastmileProbe(std::vector<int> series, ProbeTarget target, Timeline& timeline, EventSink& sink);
  ~LastmileProbe();
  LastmileProbe(const LastmileProbe&) = delete;
  LastmileProbe& operator=(const LastmileProbe&) = delete;

  // ERR_REFUSED when already running (or not running, for Stop).
  int Start();
  int Stop();

 private:
  void EmitSample(int quality);
  void MeasureLoop();

  const std::vector<int> series_;
  const ProbeTarget target_;
  Timeline& timeline_;
  EventSink& sink_;

  std::mutex mutex_;
  std::condition_variable stop_requested_;
  bool running_ = false;
  std::size_t next_sample_ = 0;
  Timeline::TaskId series_task_ = 0;
  std::thread measuring_;
};

}  // namespace rtc
