#include "device_managers.h"

#include <cstring>

namespace rtc {
namespace {

void CopyText(const std::string& text, char* buffer) {
  std::size_t length = std::min(text.size(), MAX_DEVICE_ID_LENGTH - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

template <typename Interface>
class Collection final : public Interface {
 public:
  explicit Collection(std::vector<DeviceInfo> devices) : devices_(std::move(devices)) {}

  int getCount() override { return static_cast<int>(devices_.size()); }
  int getDevice(int index, char name[MAX_DEVICE_ID_LENGTH],
                char id[MAX_DEVICE_ID_LENGTH]) override {
    if (index < 0 || index >= getCount() || name == nullptr || id == nullptr) {
      return ERR_INVALID_ARGUMENT;
    }
    CopyText(devices_[index].name, name);
    CopyText(devices_[index].id, id);
    return ERR_OK;
  }
  void release() override { delete this; }

 private:
  std::vector<DeviceInfo> devices_;
};

// Selection and the current device of one kind, shared by both managers.
class KindAccess {
 public:
  KindAccess(DeviceRegistry& registry, DeviceSelectionListener& listener,
             const UnavailableDeviceLists& unavailable)
      : registry_(registry), listener_(listener), unavailable_(unavailable) {}

  int Select(DeviceKind kind, const char* id) {
    if (id == nullptr) return ERR_INVALID_ARGUMENT;
    int result = registry_.Select(kind, id);
    if (result == ERR_OK) listener_.OnDeviceSelected(kind);
    return result;
  }
  int Current(DeviceKind kind, char id[MAX_DEVICE_ID_LENGTH]) {
    if (id == nullptr) return ERR_INVALID_ARGUMENT;
    std::optional<DeviceInfo> device = registry_.Current(kind);
    CopyText(device ? device->id : std::string(), id);
    return device ? ERR_OK : ERR_NOT_READY;
  }
  template <typename Interface>
  Interface* Enumerate(DeviceKind kind) {
    if (Unavailable(kind)) return nullptr;
    return new Collection<Interface>(registry_.List(kind));
  }

 private:
  bool Unavailable(DeviceKind kind) const {
    switch (kind) {
      case DeviceKind::kCamera:
        return unavailable_.cameras;
      case DeviceKind::kMicrophone:
        return unavailable_.microphones;
      case DeviceKind::kSpeaker:
        break;
    }
    return unavailable_.speakers;
  }

  DeviceRegistry& registry_;
  DeviceSelectionListener& listener_;
  UnavailableDeviceLists unavailable_;
};

class AudioDeviceManager final : public IAudioDeviceManager {
 public:
  explicit AudioDeviceManager(KindAccess access) : access_(access) {}

  IAudioDeviceCollection* enumeratePlaybackDevices() override {
    return access_.Enumerate<IAudioDeviceCollection>(DeviceKind::kSpeaker);
  }
  IAudioDeviceCollection* enumerateRecordingDevices() override {
    return access_.Enumerate<IAudioDeviceCollection>(DeviceKind::kMicrophone);
  }
  int setPlaybackDevice(const char* id) override {
    return access_.Select(DeviceKind::kSpeaker, id);
  }
  int setRecordingDevice(const char* id) override {
    return access_.Select(DeviceKind::kMicrophone, id);
  }
  int getPlaybackDevice(char id[MAX_DEVICE_ID_LENGTH]) override {
    return access_.Current(DeviceKind::kSpeaker, id);
  }
  int getRecordingDevice(char id[MAX_DEVICE_ID_LENGTH]) override {
    return access_.Current(DeviceKind::kMicrophone, id);
  }
  void release() override { delete this; }

 private:
  KindAccess access_;
};

class VideoDeviceManager final : public IVideoDeviceManager {
 public:
  explicit VideoDeviceManager(KindAccess access) : access_(access) {}

  IVideoDeviceCollection* enumerateVideoDevices() override {
    return access_.Enumerate<IVideoDeviceCollection>(DeviceKind::kCamera);
  }
  int setDevice(const char* id) override { return access_.Select(DeviceKind::kCamera, id); }
  int getDevice(char id[MAX_DEVICE_ID_LENGTH]) override {
    return access_.Current(DeviceKind::kCamera, id);
  }
  void release() override { delete this; }

 private:
  KindAccess access_;
};

}  // namespace

IAudioDeviceManager* NewAudioDeviceManager(DeviceRegistry& registry,
                                           DeviceSelectionListener& listener,
                                           const UnavailableDeviceLists& unavailable) {
  return new AudioDeviceManager(KindAccess(registry, listener, unavailable));
}

IVideoDeviceManager* NewVideoDeviceManager(DeviceRegistry& registry,
                                           DeviceSelectionListener& listener,
                                           const UnavailableDeviceLists& unavailable) {
  return new VideoDeviceManager(KindAccess(registry, listener, unavailable));
}

}  // namespace rtc
