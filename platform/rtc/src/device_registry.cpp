#include "device_registry.h"

#include "rtc/rtc_base.h"

namespace rtc {
namespace {

const std::vector<DeviceInfo>& MachineList(const MachineDevices& devices, DeviceKind kind) {
  switch (kind) {
    case DeviceKind::kCamera:
      return devices.cameras;
    case DeviceKind::kMicrophone:
      return devices.microphones;
    case DeviceKind::kSpeaker:
      break;
  }
  return devices.speakers;
}

}  // namespace

DeviceRegistry::DeviceRegistry(const EngineConfig& config, MachineSource machine)
    : machine_(std::move(machine)) {
  if (config.real_devices) machine_devices_ = machine_();
  auto add = [this](DeviceKind kind, const std::vector<VirtualDevice>& devices) {
    for (const VirtualDevice& device : devices) {
      virtuals_[Index(kind)].push_back(Virtual{DeviceInfo{device.id, device.name, ""}, true});
    }
  };
  if (config.cameras) {
    add(DeviceKind::kCamera, *config.cameras);
  } else if (machine_devices_.cameras.empty()) {
    add(DeviceKind::kCamera, {{kTestPatternCameraId, "Test pattern camera"}});
  }
  if (config.microphones) {
    add(DeviceKind::kMicrophone, *config.microphones);
  } else if (machine_devices_.microphones.empty()) {
    add(DeviceKind::kMicrophone, {{kToneMicrophoneId, "Tone microphone"}});
  }
  add(DeviceKind::kSpeaker, config.speakers);
  if (!config.real_devices) machine_ = [] { return MachineDevices{}; };
  for (DeviceKind kind : {DeviceKind::kCamera, DeviceKind::kMicrophone, DeviceKind::kSpeaker}) {
    for (const DeviceInfo& device : ListLocked(kind)) seen_[Index(kind)].insert(device.id);
  }
}

std::vector<DeviceInfo> DeviceRegistry::ListLocked(DeviceKind kind) const {
  std::vector<DeviceInfo> list;
  for (const DeviceInfo& device : MachineList(machine_devices_, kind)) {
    if (failed_.count(device.id) == 0) list.push_back(device);
  }
  for (const Virtual& device : virtuals_[Index(kind)]) {
    if (device.plugged) list.push_back(device.info);
  }
  return list;
}

std::vector<DeviceInfo> DeviceRegistry::List(DeviceKind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ListLocked(kind);
}

std::vector<DeviceRegistry::Change> DeviceRegistry::Refresh() {
  MachineDevices now = machine_();
  std::lock_guard<std::mutex> lock(mutex_);
  machine_devices_ = std::move(now);
  for (auto it = failed_.begin(); it != failed_.end();) {
    bool present = false;
    for (DeviceKind kind : {DeviceKind::kCamera, DeviceKind::kMicrophone, DeviceKind::kSpeaker}) {
      for (const DeviceInfo& device : MachineList(machine_devices_, kind))
        present = present || device.id == *it;
    }
    it = present ? std::next(it) : failed_.erase(it);
  }
  std::vector<Change> changes;
  for (DeviceKind kind : {DeviceKind::kCamera, DeviceKind::kMicrophone, DeviceKind::kSpeaker}) {
    std::set<std::string> present;
    for (const DeviceInfo& device : ListLocked(kind)) present.insert(device.id);
    std::set<std::string>& seen = seen_[Index(kind)];
    for (const std::string& id : seen) {
      if (present.count(id) == 0) changes.push_back(Change{kind, id, false});
    }
    for (const std::string& id : present) {
      if (seen.count(id) == 0) changes.push_back(Change{kind, id, true});
    }
    seen = std::move(present);
  }
  return changes;
}

bool DeviceRegistry::SetVirtualPlugged(const std::string& id, bool plugged) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& list : virtuals_) {
    for (Virtual& device : list) {
      if (device.info.id == id) {
        device.plugged = plugged;
        return true;
      }
    }
  }
  return false;
}

void DeviceRegistry::SetFailed(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  failed_.insert(id);
}

int DeviceRegistry::Select(DeviceKind kind, const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const DeviceInfo& device : ListLocked(kind)) {
    if (device.id == id) {
      selected_[Index(kind)] = id;
      return ERR_OK;
    }
  }
  return ERR_INVALID_ARGUMENT;
}

std::optional<DeviceInfo> DeviceRegistry::Current(DeviceKind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<DeviceInfo> list = ListLocked(kind);
  for (const DeviceInfo& device : list) {
    if (device.id == selected_[Index(kind)]) return device;
  }
  if (list.empty()) return std::nullopt;
  return list.front();
}

}  // namespace rtc
