// The machine's own media devices as they are now, with word whenever they change, so that
// plugging is noticed without reading the device lists again and again.
#pragma once

#include <functional>
#include <memory>

#include "device_sources.h"

namespace rtc {

class DeviceWatch {
 public:
  // Called on the watch's own thread after each change; it must not call back into the watch
  // while it is being destroyed.
  using Changed = std::function<void()>;

  virtual ~DeviceWatch() = default;
  virtual MachineDevices Current() const = 0;
};

using DeviceWatchFactory = std::function<std::unique_ptr<DeviceWatch>(DeviceWatch::Changed)>;

// Cameras (V4L2), microphones and speakers (PulseAudio, monitors left out) from the media
// library's device monitor. Lists are empty where no provider could start.
std::unique_ptr<DeviceWatch> WatchMachineDevices(DeviceWatch::Changed changed);

}  // namespace rtc
