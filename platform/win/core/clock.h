// The clock that timers, MSG::time and "now" run on: real for X11, virtual for headless.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace win::core {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds for timers; starts near 0.
  virtual std::int64_t NowMs() const = 0;
  // Milliseconds since 1970-01-01 UTC.
  virtual std::int64_t UnixMs() const = 0;
  // Waits until notified or until NowMs reaches the deadline (none: until notified).
  virtual void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wakeup,
                    std::optional<std::int64_t> deadline_ms) const = 0;
};

class SteadyClock final : public Clock {
 public:
  SteadyClock();
  std::int64_t NowMs() const override;
  std::int64_t UnixMs() const override;
  void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wakeup,
            std::optional<std::int64_t> deadline_ms) const override;

 private:
  std::chrono::steady_clock::time_point start_;
};

// Moves only when told. Whoever advances it must wake the waiting queues, since a wait
// cannot time out on virtual time.
class ManualClock final : public Clock {
 public:
  ManualClock();
  std::int64_t NowMs() const override { return now_ms_.load(); }
  std::int64_t UnixMs() const override { return unix_base_ms_.load() + now_ms_.load(); }
  void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wakeup,
            std::optional<std::int64_t> deadline_ms) const override;
  void Advance(std::int64_t ms) { now_ms_ += ms; }
  void SetUnixSeconds(std::int64_t seconds) { unix_base_ms_ = seconds * 1000 - now_ms_.load(); }

 private:
  std::atomic<std::int64_t> now_ms_{0};
  std::atomic<std::int64_t> unix_base_ms_;
};

}  // namespace win::core
