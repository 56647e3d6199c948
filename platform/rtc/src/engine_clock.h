// The engine's sense of time: milliseconds since the clock started. The real engine runs on
// the steady clock; tests drive a manual one so that a scenario minutes long runs at once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace rtc {

using Millis = int64_t;

class EngineClock {
 public:
  using WakeCallback = std::function<void()>;
  using Subscription = uint64_t;

  virtual ~EngineClock() = default;
  virtual Millis Now() const = 0;
  // The real instant at which `due` arrives, or time_point::max() when only an Advance can
  // bring it (the waiter is then woken through the callback given to OnAdvance).
  virtual std::chrono::steady_clock::time_point WakeTime(Millis due) const = 0;
  // callback runs after every change of Now() that does not happen by itself, until the
  // subscription is cancelled; once CancelOnAdvance returns it no longer runs.
  virtual Subscription OnAdvance(WakeCallback callback) = 0;
  virtual void CancelOnAdvance(Subscription subscription) = 0;
};

class SteadyEngineClock final : public EngineClock {
 public:
  SteadyEngineClock();
  Millis Now() const override;
  std::chrono::steady_clock::time_point WakeTime(Millis due) const override;
  Subscription OnAdvance(WakeCallback) override { return 0; }
  void CancelOnAdvance(Subscription) override {}

 private:
  std::chrono::steady_clock::time_point start_;
};

class ManualEngineClock final : public EngineClock {
 public:
  Millis Now() const override;
  std::chrono::steady_clock::time_point WakeTime(Millis due) const override;
  Subscription OnAdvance(WakeCallback callback) override;
  void CancelOnAdvance(Subscription subscription) override;
  void Advance(Millis by);

 private:
  std::atomic<Millis> now_{0};
  // Callbacks run with this held, so a cancelled one cannot be running any more.
  std::mutex callbacks_mutex_;
  std::map<Subscription, WakeCallback> callbacks_;
  Subscription next_subscription_ = 1;
};

}  // namespace rtc
