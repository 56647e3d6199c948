#include "core/clock.h"

namespace win::core {

namespace {

std::int64_t RealUnixMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

SteadyClock::SteadyClock() : start_(std::chrono::steady_clock::now()) {}

std::int64_t SteadyClock::NowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now() - start_).count();
}

std::int64_t SteadyClock::UnixMs() const { return RealUnixMs(); }

void SteadyClock::Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wakeup,
                       std::optional<std::int64_t> deadline_ms) const {
  if (!deadline_ms) {
    wakeup.wait(lock);
    return;
  }
  wakeup.wait_until(lock, start_ + std::chrono::milliseconds(*deadline_ms));
}

ManualClock::ManualClock() : unix_base_ms_(RealUnixMs()) {}

void ManualClock::Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wakeup,
                       std::optional<std::int64_t>) const {
  wakeup.wait(lock);
}

}  // namespace win::core
