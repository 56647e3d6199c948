#include "engine_clock.h"

namespace rtc {

SteadyEngineClock::SteadyEngineClock() : start_(std::chrono::steady_clock::now()) {}

Millis SteadyEngineClock::Now() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

std::chrono::steady_clock::time_point SteadyEngineClock::WakeTime(Millis due) const {
  return start_ + std::chrono::milliseconds(due);
}

Millis ManualEngineClock::Now() const { return now_.load(); }

std::chrono::steady_clock::time_point ManualEngineClock::WakeTime(Millis) const {
  return std::chrono::steady_clock::time_point::max();
}

EngineClock::Subscription ManualEngineClock::OnAdvance(WakeCallback callback) {
  std::lock_guard<std::mutex> lock(callbacks_mutex_);
  Subscription subscription = next_subscription_++;
  callbacks_.emplace(subscription, std::move(callback));
  return subscription;
}

void ManualEngineClock::CancelOnAdvance(Subscription subscription) {
  std::lock_guard<std::mutex> lock(callbacks_mutex_);
  callbacks_.erase(subscription);
}

void ManualEngineClock::Advance(Millis by) {
  now_ += by;
  std::lock_guard<std::mutex> lock(callbacks_mutex_);
  for (auto& entry : callbacks_) entry.second();
}

}  // namespace rtc
