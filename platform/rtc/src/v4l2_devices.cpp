#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "device_sources.h"

namespace rtc {
namespace {

struct Fd {
  int value;
  explicit Fd(int fd) : value(fd) {}
  ~Fd() {
    if (value >= 0) ::close(value);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

}  // namespace

std::vector<DeviceInfo> ListV4l2Cameras() {
  std::vector<DeviceInfo> cameras;
  std::error_code error;
  std::vector<std::string> nodes;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("video", 0) == 0) nodes.push_back(entry.path().string());
  }
  std::sort(nodes.begin(), nodes.end());
  for (const std::string& node : nodes) {
    Fd fd(::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (fd.value < 0) continue;
    v4l2_capability caps{};
    if (::ioctl(fd.value, VIDIOC_QUERYCAP, &caps) != 0) continue;
    uint32_t device_caps =
        (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
    if (!(device_caps & V4L2_CAP_VIDEO_CAPTURE) || !(device_caps & V4L2_CAP_STREAMING)) continue;
    std::string bus(reinterpret_cast<const char*>(caps.bus_info));
    std::string card(reinterpret_cast<const char*>(caps.card));
    // The bus position survives re-plugging into the same port; the node name may not.
    std::string id = "v4l2:" + (bus.empty() ? node : bus + ":" + card);
    auto same = [&](const DeviceInfo& d) { return d.id == id; };
    // One physical camera may offer several capture nodes; the first one is the camera.
    if (std::any_of(cameras.begin(), cameras.end(), same)) continue;
    cameras.push_back(DeviceInfo{id, card.empty() ? node : card, node});
  }
  return cameras;
}

MachineDevices ListMachineDevices() {
  MachineDevices devices;
  devices.cameras = ListV4l2Cameras();
  ListPulseDevices(devices.microphones, devices.speakers);
  return devices;
}

}  // namespace rtc
