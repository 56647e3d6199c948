#include <gst/gst.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "device_watch.h"
#include "net/gst_handles.h"

namespace rtc {
namespace {

// Posted on the monitor's own bus to end the watch's thread.
constexpr const char* kStopMessage = "quorvel-device-watch-stop";

std::string Field(const GstStructure* properties, const char* name) {
  const char* value = properties ? gst_structure_get_string(properties, name) : nullptr;
  return value ? value : "";
}

void AddCamera(const GstStructure* properties, const std::string& name, MachineDevices& devices) {
  std::string path = Field(properties, "device.path");
  if (Field(properties, "device.api") != "v4l2" || path.empty()) return;
  std::string bus = Field(properties, "v4l2.device.bus_info");
  std::string card = Field(properties, "v4l2.device.card");
  // The bus position survives re-plugging into the same port; the node name may not.
  std::string id = "v4l2:" + (bus.empty() ? path : bus + ":" + card);
  // One physical camera may offer several capture nodes; the first one is the camera.
  auto same = [&](const DeviceInfo& d) { return d.id == id; };
  if (std::any_of(devices.cameras.begin(), devices.cameras.end(), same)) return;
  devices.cameras.push_back(DeviceInfo{id, name.empty() ? path : name, path});
}

// Only the sound server's devices know their server-side name.
void AddSoundDevice(GstDevice* device, const GstStructure* properties, const std::string& name,
                    MachineDevices& devices) {
  if (!g_object_class_find_property(G_OBJECT_GET_CLASS(device), "internal-name")) return;
  gchar* raw = nullptr;
  g_object_get(device, "internal-name", &raw, nullptr);
  GTextPtr internal(raw);
  if (!internal || *internal == '\0') return;
  DeviceInfo info{std::string("pulse:") + internal.get(), name.empty() ? internal.get() : name,
                  internal.get()};
  if (gst_device_has_classes(device, "Audio/Sink")) {
    devices.speakers.push_back(std::move(info));
  } else if (Field(properties, "device.class") != "monitor") {
    devices.microphones.push_back(std::move(info));
  }
}

void Add(GstDevice* device, MachineDevices& devices) {
  GstStructurePtr properties(gst_device_get_properties(device));
  GTextPtr display(gst_device_get_display_name(device));
  std::string name = display ? display.get() : "";
  if (gst_device_has_classes(device, "Video/Source")) {
    AddCamera(properties.get(), name, devices);
  } else {
    AddSoundDevice(device, properties.get(), name, devices);
  }
}

class GstDeviceWatch final : public DeviceWatch {
 public:
  explicit GstDeviceWatch(Changed changed) : changed_(std::move(changed)) {
    EnsureGstStarted();
    monitor_.reset(gst_device_monitor_new());
    for (const char* kind : {"Video/Source", "Audio/Source", "Audio/Sink"}) {
      gst_device_monitor_add_filter(monitor_.get(), kind, nullptr);
    }
    bus_.reset(gst_device_monitor_get_bus(monitor_.get()));
    started_ = gst_device_monitor_start(monitor_.get());
    Reread();
    thread_ = std::thread([this] { Run(); });
  }

  ~GstDeviceWatch() override {
    gst_bus_post(bus_.get(),
                 gst_message_new_application(nullptr, gst_structure_new_empty(kStopMessage)));
    thread_.join();
    if (started_) gst_device_monitor_stop(monitor_.get());
  }

  MachineDevices Current() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return devices_;
  }

 private:
  void Run() {
    for (;;) {
      GstMessagePtr message(gst_bus_timed_pop(bus_.get(), GST_CLOCK_TIME_NONE));
      if (!message) continue;
      switch (GST_MESSAGE_TYPE(message.get())) {
        case GST_MESSAGE_APPLICATION:
          if (gst_message_has_name(message.get(), kStopMessage)) return;
          break;
        case GST_MESSAGE_DEVICE_ADDED:
        case GST_MESSAGE_DEVICE_REMOVED:
        case GST_MESSAGE_DEVICE_CHANGED:
          Reread();
          changed_();
          break;
        default:
          break;
      }
    }
  }

  // The providers' own lists as they keep them up to date; nothing is probed again.
  void Reread() {
    MachineDevices devices;
    GList* list = started_ ? gst_device_monitor_get_devices(monitor_.get()) : nullptr;
    for (GList* item = list; item != nullptr; item = item->next) {
      Add(GST_DEVICE(item->data), devices);
    }
    g_list_free_full(list, gst_object_unref);
    std::lock_guard<std::mutex> lock(mutex_);
    devices_ = std::move(devices);
  }

  Changed changed_;
  std::unique_ptr<GstDeviceMonitor, GstObjectUnref> monitor_;
  GstBusPtr bus_;
  bool started_ = false;
  mutable std::mutex mutex_;
  MachineDevices devices_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<DeviceWatch> WatchMachineDevices(DeviceWatch::Changed changed) {
  return std::make_unique<GstDeviceWatch>(std::move(changed));
}

}  // namespace rtc
