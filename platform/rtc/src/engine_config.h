// The engine's configuration: virtual devices, which channel lessons run on ("channel":
// "network", the default, or "simulated"), and the scenario that the simulated channel
// follows. Read from the JSON file named by QUORVEL_RTC_CONFIG; all times are milliseconds
// after the local join.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rtc/rtc_base.h"

namespace rtc {

struct VirtualDevice {
  std::string id;
  std::string name;
};

struct VideoSizeChange {
  int64_t at_ms = 0;
  int width = 0;
  int height = 0;
  int rotation = 0;
};

// The participant stops (muted true) or resumes sending audio or video.
struct MuteChange {
  int64_t at_ms = 0;
  bool video = false;  // audio otherwise
  bool muted = true;
};

struct ScenarioUser {
  uid_t uid = 0;
  int64_t join_ms = 0;
  std::optional<int64_t> leave_ms;  // stays to the end when absent
  USER_OFFLINE_REASON_TYPE leave_reason = USER_OFFLINE_QUIT;
  int width = 640;
  int height = 480;
  std::vector<VideoSizeChange> size_changes;
  std::vector<MuteChange> mutes;
};

struct QualitySample {
  int64_t at_ms = 0;
  uid_t uid = 0;  // 0 is the local participant
  int tx = QUALITY_UNKNOWN;
  int rx = QUALITY_UNKNOWN;
};

// A virtual device unplugged (plugged false) or plugged in again.
struct DeviceEvent {
  int64_t at_ms = 0;
  std::string device_id;
  bool plugged = false;
};

struct NetworkLoss {
  int64_t at_ms = 0;
  std::optional<int64_t> rejoin_after_ms;  // never re-joins when absent
};

struct Scenario {
  std::vector<ScenarioUser> users;
  std::vector<QualitySample> network_quality;
  std::vector<int> lastmile;  // one sample per 200 ms, the last one repeated
  std::vector<DeviceEvent> device_events;
  std::vector<NetworkLoss> network_losses;
};

// Device lists that cannot be opened: their enumerate call gives null, as a vendor engine's
// does when its device layer fails to start.
struct UnavailableDeviceLists {
  bool speakers = false;
  bool microphones = false;
  bool cameras = false;
};

struct EngineConfig {
  // Absent lists mean: a test-pattern camera and a tone microphone when no real one exists.
  std::optional<std::vector<VirtualDevice>> cameras;
  std::optional<std::vector<VirtualDevice>> microphones;
  std::vector<VirtualDevice> speakers;
  bool real_devices = true;        // V4L2 cameras and PulseAudio devices
  bool simulated_channel = false;  // the scenario's participants instead of a media server
  // The test pattern carries its capture time (time_code.h), for measuring latency.
  bool pattern_time_code = false;
  UnavailableDeviceLists unavailable_device_lists;
  Scenario scenario;
};

struct ConfigResult {
  EngineConfig config;
  std::string error;  // empty on success; the defaults are used otherwise
};

ConfigResult ParseEngineConfig(const std::string& json_text);
// From the file QUORVEL_RTC_CONFIG names; the defaults when it is not set.
ConfigResult LoadEngineConfig();

}  // namespace rtc
