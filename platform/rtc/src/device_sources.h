// The machine's own media devices: V4L2 capture devices and the PulseAudio server's sources
// and sinks. Each list is empty when the machine has none (or no server runs).
#pragma once

#include <string>
#include <vector>

namespace rtc {

struct DeviceInfo {
  std::string id;  // stable for the same device across enumerations
  std::string name;
  std::string node;  // the V4L2 device file of a real camera; empty otherwise
};

struct MachineDevices {
  std::vector<DeviceInfo> cameras;
  std::vector<DeviceInfo> microphones;
  std::vector<DeviceInfo> speakers;
};

std::vector<DeviceInfo> ListV4l2Cameras();
// Sources that are not monitors of a sink, and sinks. Gives up after a short time-out.
void ListPulseDevices(std::vector<DeviceInfo>& sources, std::vector<DeviceInfo>& sinks);
MachineDevices ListMachineDevices();

}  // namespace rtc
