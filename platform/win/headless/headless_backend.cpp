#include "headless/headless_backend.h"

#include <cstdlib>
#include <cstring>

#include "core/thread_queue.h"

namespace win::core {

namespace {

MonitorArea DefaultMonitor() { return MonitorArea{RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 1040}}; }

bool RealClockAsked() {
  const char* mode = std::getenv("QUORVEL_HEADLESS_CLOCK");
  return mode != nullptr && std::strcmp(mode, "real") == 0;
}

}  // namespace

HeadlessBackend::HeadlessBackend() : monitors_{DefaultMonitor()} {
  if (RealClockAsked()) {
    steady_clock_ = std::make_unique<SteadyClock>();
    clock_ = steady_clock_.get();
  } else {
    manual_clock_ = std::make_unique<ManualClock>();
    clock_ = manual_clock_.get();
  }
}

std::vector<MonitorArea> HeadlessBackend::Monitors() {
  std::lock_guard<std::mutex> lock(mutex_);
  return monitors_;
}

bool HeadlessBackend::GrabKey(UINT modifiers, UINT virtual_key) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto key = std::make_pair(modifiers, virtual_key);
  if (taken_elsewhere_.count(key) != 0) return false;
  return grabbed_.insert(key).second;
}

void HeadlessBackend::UngrabKey(UINT modifiers, UINT virtual_key) {
  std::lock_guard<std::mutex> lock(mutex_);
  grabbed_.erase(std::make_pair(modifiers, virtual_key));
}

bool HeadlessBackend::AdvanceClock(std::int64_t milliseconds) {
  if (!manual_clock_) return false;
  manual_clock_->Advance(milliseconds);
  WakeAllQueues();
  return true;
}

bool HeadlessBackend::SetUnixSeconds(std::int64_t seconds) {
  if (!manual_clock_) return false;
  manual_clock_->SetUnixSeconds(seconds);
  return true;
}

void HeadlessBackend::ResetMonitors() {
  std::lock_guard<std::mutex> lock(mutex_);
  monitors_ = {DefaultMonitor()};
}

void HeadlessBackend::AddMonitor(const MonitorArea& monitor) {
  std::lock_guard<std::mutex> lock(mutex_);
  monitors_.push_back(monitor);
}

void HeadlessBackend::TakeElsewhere(UINT modifiers, UINT virtual_key, bool taken) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto key =
      std::make_pair(modifiers & (MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN), virtual_key);
  if (taken) {
    taken_elsewhere_.insert(key);
  } else {
    taken_elsewhere_.erase(key);
  }
}

}  // namespace win::core
