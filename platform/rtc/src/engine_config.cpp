#include "engine_config.h"

#include <json/reader.h>
#include <json/value.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace rtc {
namespace {

// A test pattern is drawn whole for every frame: no side beyond 8192 and no frame beyond
// 8K UHD, so that a mistyped size is refused here instead of failing an allocation on an
// engine thread.
constexpr int kLargestSide = 8192;
constexpr int64_t kLargestFramePixels = int64_t{7680} * 4320;

bool IsFrameSize(int width, int height) {
  return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide &&
         int64_t{width} * height <= kLargestFramePixels;
}

// Reads typed members and remembers the first problem with the path where it was found.
class Reader {
 public:
  std::string error;

  bool Fail(const std::string& where, const std::string& what) {
    if (error.empty()) error = where + ": " + what;
    return false;
  }

  bool Int(const Json::Value& object, const std::string& where, const char* key, int64_t& out,
           bool required) {
    const Json::Value& value = object[key];
    if (value.isNull()) return !required || Fail(where + "." + key, "is missing");
    if (!value.isIntegral()) return Fail(where + "." + key, "is not an integer");
    out = value.asInt64();
    return true;
  }
  bool Int(const Json::Value& object, const std::string& where, const char* key, int& out,
           bool required) {
    int64_t wide = out;
    if (!Int(object, where, key, wide, required)) return false;
    if (wide < INT_MIN || wide > INT_MAX) return Fail(where + "." + key, "is out of range");
    out = static_cast<int>(wide);
    return true;
  }
  bool OptionalInt(const Json::Value& object, const std::string& where, const char* key,
                   std::optional<int64_t>& out) {
    if (object[key].isNull()) return true;
    int64_t value = 0;
    if (!Int(object, where, key, value, true)) return false;
    out = value;
    return true;
  }
  bool Text(const Json::Value& object, const std::string& where, const char* key,
            std::string& out) {
    const Json::Value& value = object[key];
    if (!value.isString() || value.asString().empty()) {
      return Fail(where + "." + key, "is not a non-empty text");
    }
    out = value.asString();
    return true;
  }
  bool Bool(const Json::Value& object, const std::string& where, const char* key, bool& out) {
    const Json::Value& value = object[key];
    if (value.isNull()) return true;
    if (!value.isBool()) return Fail(where + "." + key, "is not true or false");
    out = value.asBool();
    return true;
  }
  bool Quality(const Json::Value& object, const std::string& where, const char* key, int& out) {
    if (!Int(object, where, key, out, true)) return false;
    if (out < QUALITY_UNKNOWN || out > QUALITY_DOWN)
      return Fail(where + "." + key, "is not 0 to 6");
    return true;
  }

  // Calls each(item, where) for every element of the array at key (absent is empty).
  template <typename Each>
  bool Array(const Json::Value& object, const std::string& where, const char* key, Each each) {
    const Json::Value& value = object[key];
    if (value.isNull()) return true;
    std::string path = where + "." + key;
    if (!value.isArray()) return Fail(path, "is not an array");
    for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
      std::string item_path = path + "[" + std::to_string(i) + "]";
      if (!value[i].isObject() && !value[i].isIntegral() && !value[i].isString()) {
        return Fail(item_path, "is not valid");
      }
      if (!each(value[i], item_path)) return false;
    }
    return true;
  }

  bool Devices(const Json::Value& root, const char* key,
               std::optional<std::vector<VirtualDevice>>& out) {
    if (root[key].isNull()) return true;
    out.emplace();
    return Array(root, "config", key, [&](const Json::Value& item, const std::string& where) {
      VirtualDevice device;
      if (!item.isObject()) return Fail(where, "is not an object");
      if (!Text(item, where, "id", device.id) || !Text(item, where, "name", device.name)) {
        return false;
      }
      out->push_back(device);
      return true;
    });
  }

  bool UnavailableLists(const Json::Value& root, UnavailableDeviceLists& out) {
    return Array(root, "config", "unavailable_device_lists",
                 [&](const Json::Value& item, const std::string& where) {
                   const std::string list = item.isString() ? item.asString() : std::string();
                   if (list == "speakers") {
                     out.speakers = true;
                   } else if (list == "microphones") {
                     out.microphones = true;
                   } else if (list == "cameras") {
                     out.cameras = true;
                   } else {
                     return Fail(where, "is not speakers, microphones or cameras");
                   }
                   return true;
                 });
  }

  bool User(const Json::Value& item, const std::string& where, ScenarioUser& user) {
    if (!item.isObject()) return Fail(where, "is not an object");
    int64_t uid = 0;
    if (!Int(item, where, "uid", uid, true)) return false;
    if (uid <= 0 || uid > 0xFFFFFFFFLL) return Fail(where + ".uid", "is not a valid uid");
    user.uid = static_cast<uid_t>(uid);
    int reason = USER_OFFLINE_QUIT;
    bool ok = Int(item, where, "join_ms", user.join_ms, true) &&
              OptionalInt(item, where, "leave_ms", user.leave_ms) &&
              Int(item, where, "leave_reason", reason, false) &&
              Int(item, where, "width", user.width, false) &&
              Int(item, where, "height", user.height, false);
    if (!ok) return false;
    user.leave_reason = static_cast<USER_OFFLINE_REASON_TYPE>(reason);
    if (!IsFrameSize(user.width, user.height)) return Fail(where, "has no valid video size");
    bool mutes_ok =
        Array(item, where, "mutes", [&](const Json::Value& entry, const std::string& at) {
          MuteChange mute;
          std::string media;
          if (!entry.isObject()) return Fail(at, "is not an object");
          if (!Int(entry, at, "at_ms", mute.at_ms, true) || !Text(entry, at, "media", media) ||
              !Bool(entry, at, "muted", mute.muted)) {
            return false;
          }
          if (media != "audio" && media != "video")
            return Fail(at + ".media", "is not audio or video");
          mute.video = media == "video";
          user.mutes.push_back(mute);
          return true;
        });
    if (!mutes_ok) return false;
    return Array(item, where, "size_changes",
                 [&](const Json::Value& change, const std::string& at) {
                   VideoSizeChange size;
                   if (!Int(change, at, "at_ms", size.at_ms, true) ||
                       !Int(change, at, "width", size.width, true) ||
                       !Int(change, at, "height", size.height, true) ||
                       !Int(change, at, "rotation", size.rotation, false)) {
                     return false;
                   }
                   if (!IsFrameSize(size.width, size.height)) {
                     return Fail(at, "has no valid video size");
                   }
                   user.size_changes.push_back(size);
                   return true;
                 });
  }

  bool ScenarioFrom(const Json::Value& scenario, Scenario& out) {
    const std::string where = "config.scenario";
    if (!scenario.isObject()) return Fail(where, "is not an object");
    return Array(scenario, where, "users",
                 [&](const Json::Value& item, const std::string& at) {
                   ScenarioUser user;
                   if (!User(item, at, user)) return false;
                   out.users.push_back(user);
                   return true;
                 }) &&
           Array(scenario, where, "network_quality",
                 [&](const Json::Value& item, const std::string& at) {
                   QualitySample sample;
                   int64_t uid = 0;
                   if (!item.isObject()) return Fail(at, "is not an object");
                   if (!Int(item, at, "at_ms", sample.at_ms, true) ||
                       !Int(item, at, "uid", uid, false) || !Quality(item, at, "tx", sample.tx) ||
                       !Quality(item, at, "rx", sample.rx)) {
                     return false;
                   }
                   sample.uid = static_cast<uid_t>(uid);
                   out.network_quality.push_back(sample);
                   return true;
                 }) &&
           Array(scenario, where, "lastmile",
                 [&](const Json::Value& item, const std::string& at) {
                   if (!item.isIntegral()) return Fail(at, "is not an integer");
                   int quality = item.asInt();
                   if (quality < QUALITY_UNKNOWN || quality > QUALITY_DOWN) {
                     return Fail(at, "is not 0 to 6");
                   }
                   out.lastmile.push_back(quality);
                   return true;
                 }) &&
           Array(scenario, where, "device_events",
                 [&](const Json::Value& item, const std::string& at) {
                   DeviceEvent event;
                   if (!item.isObject()) return Fail(at, "is not an object");
                   if (!Int(item, at, "at_ms", event.at_ms, true) ||
                       !Text(item, at, "device", event.device_id) ||
                       !Bool(item, at, "plugged", event.plugged)) {
                     return false;
                   }
                   out.device_events.push_back(event);
                   return true;
                 }) &&
           Array(scenario, where, "network_losses",
                 [&](const Json::Value& item, const std::string& at) {
                   NetworkLoss loss;
                   if (!item.isObject()) return Fail(at, "is not an object");
                   if (!Int(item, at, "at_ms", loss.at_ms, true) ||
                       !OptionalInt(item, at, "rejoin_after_ms", loss.rejoin_after_ms)) {
                     return false;
                   }
                   out.network_losses.push_back(loss);
                   return true;
                 });
  }
};

}  // namespace

ConfigResult ParseEngineConfig(const std::string& json_text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> parser(builder.newCharReader());
  Json::Value root;
  std::string parse_error;
  try {
    if (!parser->parse(json_text.data(), json_text.data() + json_text.size(), &root,
                       &parse_error)) {
      return {EngineConfig{}, "config: " + parse_error};
    }
  } catch (const Json::Exception& error) {
    // jsoncpp throws, rather than failing, on nesting deeper than its stack limit.
    return {EngineConfig{}, std::string("config: ") + error.what()};
  }
  if (!root.isObject()) return {EngineConfig{}, "config: is not a JSON object"};
  Reader reader;
  EngineConfig config;
  std::optional<std::vector<VirtualDevice>> speakers;
  const Json::Value& channel = root["channel"];
  if (!channel.isNull()) {
    if (channel != "simulated" && channel != "network") {
      return {EngineConfig{}, "config.channel: is not \"simulated\" or \"network\""};
    }
    config.simulated_channel = channel == "simulated";
  }
  bool ok = reader.Bool(root, "config", "real_devices", config.real_devices) &&
            reader.Bool(root, "config", "pattern_time_code", config.pattern_time_code) &&
            reader.Devices(root, "cameras", config.cameras) &&
            reader.Devices(root, "microphones", config.microphones) &&
            reader.Devices(root, "speakers", speakers) &&
            reader.UnavailableLists(root, config.unavailable_device_lists) &&
            (root["scenario"].isNull() || reader.ScenarioFrom(root["scenario"], config.scenario));
  if (!ok) return {EngineConfig{}, reader.error};
  if (speakers) config.speakers = *speakers;
  return {config, ""};
}

ConfigResult LoadEngineConfig() {
  const char* path = std::getenv("QUORVEL_RTC_CONFIG");
  if (path == nullptr || *path == '\0') return {EngineConfig{}, ""};
  std::ifstream file(path, std::ios::binary);
  if (!file) return {EngineConfig{}, std::string(path) + ": cannot be read"};
  std::stringstream text;
  text << file.rdbuf();
  ConfigResult result = ParseEngineConfig(text.str());
  if (!result.error.empty()) result.error = std::string(path) + ": " + result.error;
  return result;
}

}  // namespace rtc
