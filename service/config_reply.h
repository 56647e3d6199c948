// The configuration request's reply: the media application id and the update notice.
#pragma once

#include <cstdint>
#include <string>

// Used whenever the service does not supply an application id.
constexpr const char* kBuiltInAppId = "3c9e0a4b7d21f6e85a0c4b9d2e7f1a63";

struct ConfigResult {
  bool accepted = false;  // false: the service's reply was not used, the values are the fallbacks
  std::string app_id = kBuiltInAppId;
  std::string new_version;
  int32_t update = 0;
  std::string update_message;  // UTF-8, as the service sent it
  std::string update_url;
};

// Any failure (transport, not JSON, refused, wrong shape) gives the fallback values.
ConfigResult ReadConfigReply(const std::string& reply);
