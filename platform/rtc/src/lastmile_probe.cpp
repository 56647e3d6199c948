#include "lastmile_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <memory>

namespace rtc {
namespace {

// A probe unanswered within this time counts as lost.
constexpr int kProbeTimeoutMs = 180;
// Samples judge the last few probes, so that a single slow one does not swing them.
constexpr std::size_t kProbeWindow = 5;

struct QualityThreshold {
  int64_t max_rtt_ms;
  int max_loss_percent;
  int quality;
};
// The first row whose limits the window keeps gives the quality; beyond all of them it is down.
constexpr QualityThreshold kQualityThresholds[] = {
    {30, 1, QUALITY_EXCELLENT}, {80, 3, QUALITY_GOOD},   {150, 5, QUALITY_POOR},
    {300, 10, QUALITY_BAD},     {600, 20, QUALITY_VBAD},
};

struct Probe {
  bool answered;
  int64_t rtt_ms;
};

struct AddrInfoFree {
  void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

// One TCP connection attempt: answered when the host accepted or refused it in time.
Probe ProbeOnce(const ProbeTarget& target) {
  auto start = std::chrono::steady_clock::now();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(target.host.c_str(), target.port.c_str(), &hints, &found) != 0) {
    return Probe{false, 0};
  }
  std::unique_ptr<addrinfo, AddrInfoFree> addresses(found);
  int fd = socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Probe{false, 0};
  bool answered = false;
  if (connect(fd, found->ai_addr, found->ai_addrlen) == 0) {
    answered = true;
  } else if (errno == ECONNREFUSED) {
    answered = true;
  } else if (errno == EINPROGRESS) {
    pollfd waiting{fd, POLLOUT, 0};
    if (poll(&waiting, 1, kProbeTimeoutMs) == 1) {
      int error = 0;
      socklen_t size = sizeof error;
      getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
      answered = error == 0 || error == ECONNREFUSED;
    }
  }
  close(fd);
  auto rtt = std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::steady_clock::now() - start)
                 .count();
  return Probe{answered, rtt};
}

}  // namespace

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

int QualityFromProbes(int answered, int lost, int64_t mean_rtt_ms) {
  int total = answered + lost;
  if (total == 0 || answered == 0) return QUALITY_DOWN;
  int loss_percent = lost * 100 / total;
  for (const QualityThreshold& threshold : kQualityThresholds) {
    if (mean_rtt_ms <= threshold.max_rtt_ms && loss_percent <= threshold.max_loss_percent) {
      return threshold.quality;
    }
  }
  return QUALITY_DOWN;
}

LastmileProbe::LastmileProbe(std::vector<int> series, ProbeTarget target, Timeline& timeline,
                             EventSink& sink)
    : series_(std::move(series)), target_(std::move(target)), timeline_(timeline), sink_(sink) {}

LastmileProbe::~LastmileProbe() { Stop(); }

int LastmileProbe::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) return ERR_REFUSED;
  running_ = true;
  if (!series_.empty()) {
    next_sample_ = 0;
    series_task_ = timeline_.Every(kSamplePeriodMs, [this] {
      std::lock_guard<std::mutex> guard(mutex_);
      if (!running_) return;
      EmitSample(series_[std::min(next_sample_, series_.size() - 1)]);
      ++next_sample_;
    });
  } else {
    measuring_ = std::thread([this] { MeasureLoop(); });
  }
  return ERR_OK;
}

int LastmileProbe::Stop() {
  std::thread measuring;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return ERR_REFUSED;
    running_ = false;
    timeline_.Cancel(series_task_);
    measuring = std::move(measuring_);
    stop_requested_.notify_one();
  }
  if (measuring.joinable()) measuring.join();
  return ERR_OK;
}

void LastmileProbe::EmitSample(int quality) {
  sink_.Emit("onLastmileQuality",
             [quality](IRtcEngineEventHandler& h) { h.onLastmileQuality(quality); });
}

void LastmileProbe::MeasureLoop() {
  std::deque<Probe> window;
  auto next = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  while (running_) {
    lock.unlock();
    Probe probe = ProbeOnce(target_);
    lock.lock();
    window.push_back(probe);
    if (window.size() > kProbeWindow) window.pop_front();
    next += std::chrono::milliseconds(kSamplePeriodMs);
    if (stop_requested_.wait_until(lock, next, [this] { return !running_; })) break;
    int answered = 0;
    int64_t rtt_total = 0;
    for (const Probe& p : window) {
      if (p.answered) {
        ++answered;
        rtt_total += p.rtt_ms;
      }
    }
    int lost = static_cast<int>(window.size()) - answered;
    EmitSample(QualityFromProbes(answered, lost, answered > 0 ? rtt_total / answered : 0));
  }
}

}  // namespace rtc
