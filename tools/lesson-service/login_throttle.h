// Failed logins counted per client address over a sliding window. Past the limit every login
// from that address is refused, a right code included, until its failures age out: so that
// the 8-digit lesson codes cannot be tried through, while a participant who logs in again
// and again with a right code is never held up.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <string>

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;

  explicit LoginThrottle(size_t limit = 20, Clock::duration window = std::chrono::minutes(1))
      : limit_(limit), window_(window) {}

  bool Refuses(const std::string& address, Clock::time_point now);
  void RecordFailure(const std::string& address, Clock::time_point now);

 private:
  // Drops the failures that have aged out, and the addresses left without any.
  void ForgetOld(Clock::time_point now);

  const size_t limit_;
  const Clock::duration window_;
  std::mutex mutex_;
  std::map<std::string, std::deque<Clock::time_point>> failures_;
};
