#include "lastmile_probe.h"

#include <algorithm>
#include <cstdlib>

namespace rtc {

std::optional<ProbeTarget> ParseProbeTarget(const std::string& api_base) {
  std::string rest = api_base;
  std::string port = "80";
  auto scheme = rest.find("://");
  if (scheme != std::string::npos) {
    if (rest.compare(0, scheme, "https") == 0) port = "443";
    rest = rest.substr(scheme + 3);
  }
  rest = rest.substr(0, rest.find('/'));
  std::string host = rest;
  if (!rest.empty() && rest.front() == '[') {
    auto close = rest.find(']');
    if (close == std::string::npos) return std::nullopt;
    host = rest.substr(1, close - 1);
    if (close + 1 < rest.size() && rest[close + 1] == ':') port = rest.substr(close + 2);
  } else if (auto colon = rest.rfind(':'); colon != std::string::npos) {
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  }
  if (host.empty() || port.empty()) return std::nullopt;
  return ProbeTarget{host, port};
}

ProbeTarget DefaultProbeTarget() {
  const ProbeTarget fallback{"127.0.0.1", "8787"};
  const char* base = std::getenv("QUORVEL_API_BASE");
  if (base == nullptr || *base == '\0') return fallback;
  return ParseProbeTarget(base).value_or(fallback);
}

LastmileProbe::LastmileProbe(std::vector<int> series, Timeline& timeline, EventSink& sink)
    : series_(std::move(series)),
      timeline_(timeline),
      sink_(sink),
      echo_(sink.log(), [this](int quality) { EmitSample(quality); }) {}

LastmileProbe::~LastmileProbe() { Stop(); }

int LastmileProbe::Start(const std::string& media_server) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) return ERR_REFUSED;
  running_ = true;
  if (series_.empty()) {
    echo_.Start(media_server);
    return ERR_OK;
  }
  next_sample_ = 0;
  series_task_ = timeline_.Every(kSamplePeriodMs, [this] {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!running_) return;
    EmitSample(series_[std::min(next_sample_, series_.size() - 1)]);
    ++next_sample_;
  });
  return ERR_OK;
}

int LastmileProbe::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) return ERR_REFUSED;
  running_ = false;
  timeline_.Cancel(series_task_);
  // Its samples do not take this lock.
  echo_.Stop();
  return ERR_OK;
}

void LastmileProbe::EmitSample(int quality) {
  sink_.Emit("onLastmileQuality",
             [quality](IRtcEngineEventHandler& h) { h.onLastmileQuality(quality); });
}

}  // namespace rtc
