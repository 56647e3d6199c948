// The handles that queryInterface gives out for ids 1 and 2, over the engine's one registry.
// Each handle, and each collection it enumerates, is freed by its own release().
#pragma once

#include "device_registry.h"
#include "rtc/rtc_devices.h"

namespace rtc {

// Told after a selection took effect, so the engine can switch what it captures.
class DeviceSelectionListener {
 public:
  virtual void OnDeviceSelected(DeviceKind kind) = 0;

 protected:
  ~DeviceSelectionListener() = default;
};

// The lists marked unavailable enumerate as null; everything else works as usual.
IAudioDeviceManager* NewAudioDeviceManager(DeviceRegistry& registry,
                                           DeviceSelectionListener& listener,
                                           const UnavailableDeviceLists& unavailable);
IVideoDeviceManager* NewVideoDeviceManager(DeviceRegistry& registry,
                                           DeviceSelectionListener& listener,
                                           const UnavailableDeviceLists& unavailable);

}  // namespace rtc
