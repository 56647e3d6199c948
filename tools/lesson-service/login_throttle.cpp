#include "tools/lesson-service/login_throttle.h"

bool LoginThrottle::Refuses(const std::string& address, Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mutex_);
  ForgetOld(now);
  auto found = failures_.find(address);
  return found != failures_.end() && found->second.size() >= limit_;
}

void LoginThrottle::RecordFailure(const std::string& address, Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mutex_);
  ForgetOld(now);
  failures_[address].push_back(now);
}

void LoginThrottle::ForgetOld(Clock::time_point now) {
  for (auto it = failures_.begin(); it != failures_.end();) {
    std::deque<Clock::time_point>& times = it->second;
    while (!times.empty() && now - times.front() >= window_) times.pop_front();
    it = times.empty() ? failures_.erase(it) : std::next(it);
  }
}
