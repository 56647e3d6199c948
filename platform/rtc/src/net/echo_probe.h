// The network test on the real media path: while it runs, the tone and a small test picture go
// to the media server's echo plugin, which sends them straight back, and every 200 ms the
// packets of the window that ended give one graded sample (EchoMeter) and one line of the
// engine's log.
//
// Threads: a worker sets each run's echo up and takes it down, waiting on the media server as
// long as its requests take; each run's sampler grades the windows on time whatever the worker
// waits for. Start and Stop never wait on the server: a run stopped during its set-up is taken
// down once the step under way returns, and the next run's set-up follows. The worker ends
// with the probe.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "engine_clock.h"
#include "engine_log.h"
#include "net/echo_meter.h"

namespace rtc {

class EchoLink;

class EchoProbe {
 public:
  static constexpr Millis kSamplePeriodMs = 200;
  // Gets every sample's grade, on the sampler's thread.
  using SampleHandler = std::function<void(int quality)>;

  EchoProbe(EngineLog& log, SampleHandler on_sample);
  ~EchoProbe();
  EchoProbe(const EchoProbe&) = delete;
  EchoProbe& operator=(const EchoProbe&) = delete;

  // media_server is the HTTP API's address. Starts a new run; the probe must be stopped.
  void Start(const std::string& media_server);
  // Returns once no sample comes any more.
  void Stop();

 private:
  void Work();
  // One run on the worker: set up, echo until the run ends, take down.
  void Echo(uint64_t run, const std::string& media_server);
  void WaitForEnd(uint64_t run);
  bool Wanted(uint64_t run);
  void SetStage(uint64_t run, EchoStage stage, const std::string& failure = std::string());
  void Publish(uint64_t run, EchoLink* link);
  void Sample(uint64_t run);
  void Report(const EchoSample& sample, const std::string& failure);

  EngineLog& log_;
  const SampleHandler on_sample_;

  std::mutex mutex_;
  std::condition_variable changed_;
  bool closing_ = false;
  bool running_ = false;
  uint64_t run_ = 0;     // the latest run; the set-up and sampler of any other one end
  uint64_t set_up_ = 0;  // the latest run the worker took on
  std::string media_server_;
  EchoStage stage_ = EchoStage::kOpening;  // of the latest run, like the failure
  std::string failure_;
  std::thread worker_;
  std::thread sampler_;

  // The sampler's way to the run's link; a leaf lock.
  std::mutex link_mutex_;
  EchoLink* link_ = nullptr;
  uint64_t link_run_ = 0;
};

}  // namespace rtc
