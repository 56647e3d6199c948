// Every device the engine offers: the machine's own (re-read on each Refresh) that have not
// failed, followed by the virtual ones of the configuration, each of which can be unplugged and
// plugged again. It keeps the selection of each kind and reports which devices came and went since
// the last look.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device_sources.h"
#include "engine_config.h"

namespace rtc {

enum class DeviceKind { kCamera, kMicrophone, kSpeaker };

class DeviceRegistry {
 public:
  using MachineSource = std::function<MachineDevices()>;

  struct Change {
    DeviceKind kind;
    std::string id;
    bool plugged;
  };

  // The test-pattern camera and the tone microphone stand in for absent lists of the
  // configuration when the machine has no device of that kind.
  static constexpr const char* kTestPatternCameraId = "virtual:test-pattern";
  static constexpr const char* kToneMicrophoneId = "virtual:tone";

  DeviceRegistry(const EngineConfig& config, MachineSource machine);

  std::vector<DeviceInfo> List(DeviceKind kind) const;
  // Re-reads the machine's devices; what appeared or vanished since the last look.
  std::vector<Change> Refresh();
  // False when id is no virtual device. The change shows at the next Refresh.
  bool SetVirtualPlugged(const std::string& id, bool plugged);
  // A machine's device that failed is left out, as if unplugged, until the machine no longer
  // has it (it was really unplugged) and has it again. The change shows at the next Refresh.
  void SetFailed(const std::string& id);

  // ERR_INVALID_ARGUMENT when no such device is present.
  int Select(DeviceKind kind, const std::string& id);
  // The selected device while present, else the first one; null when there is none.
  std::optional<DeviceInfo> Current(DeviceKind kind) const;

 private:
  struct Virtual {
    DeviceInfo info;
    bool plugged = true;
  };
  std::vector<DeviceInfo> ListLocked(DeviceKind kind) const;
  static int Index(DeviceKind kind) { return static_cast<int>(kind); }

  MachineSource machine_;
  mutable std::mutex mutex_;
  MachineDevices machine_devices_;
  std::vector<Virtual> virtuals_[3];
  std::string selected_[3];
  std::set<std::string> seen_[3];
  std::set<std::string> failed_;
};

}  // namespace rtc
