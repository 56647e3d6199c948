// The headless backend: a virtual screen with configurable monitors, a virtual clock and
// no native windows. It runs the same model as X11; surfaces are read back by screenshots.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "core/backend.h"

namespace win::core {

class HeadlessBackend final : public Backend {
 public:
  HeadlessBackend();

  Clock& clock() override { return *clock_; }
  bool IsHeadless() const override { return true; }
  std::vector<MonitorArea> Monitors() override;
  bool GrabKey(UINT modifiers, UINT virtual_key) override;
  void UngrabKey(UINT modifiers, UINT virtual_key) override;

  // False when the clock follows real time (QUORVEL_HEADLESS_CLOCK=real).
  bool AdvanceClock(std::int64_t milliseconds);
  bool SetUnixSeconds(std::int64_t seconds);
  void ResetMonitors();
  void AddMonitor(const MonitorArea& monitor);
  // taken false: the other program has let the combination go again.
  void TakeElsewhere(UINT modifiers, UINT virtual_key, bool taken);

 private:
  std::unique_ptr<ManualClock> manual_clock_;
  std::unique_ptr<SteadyClock> steady_clock_;
  Clock* clock_;
  std::mutex mutex_;
  std::vector<MonitorArea> monitors_;
  std::set<std::pair<UINT, UINT>> grabbed_;
  std::set<std::pair<UINT, UINT>> taken_elsewhere_;
};

}  // namespace win::core
