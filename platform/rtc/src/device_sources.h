// The machine's own media devices: V4L2 capture devices and the PulseAudio server's sources
// and sinks. Each list is empty when the machine has none (or no server runs).
#pragma once

#include <string>
#include <vector>

namespace rtc {

struct DeviceInfo {
  std::string id;  // stable for the same device across enumerations and plug cycles
  std::string name;
  // What opens the device: a camera's V4L2 device file, a PulseAudio source's or sink's name;
  // empty for a virtual device.
  std::string node;
};

struct MachineDevices {
  std::vector<DeviceInfo> cameras;
  std::vector<DeviceInfo> microphones;
  std::vector<DeviceInfo> speakers;
};

}  // namespace rtc
