// Lesson rooms on a media server, through the Janus HTTP API. Each use opens a short session:
// the service keeps no connection to a media server between requests, so a media server that
// restarted is noticed at the next access request and the room made anew.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace httplib {
class Client;
}  // namespace httplib

// "http://host:port/path" split into the part a client connects to and the API's path.
struct MediaServerAddress {
  std::string origin;  // "http://host:port"
  std::string path;    // "/janus"
};

// The address, or why the text is not one; only plain http is spoken, and the path is needed.
std::variant<MediaServerAddress, std::string> ParseMediaServerUrl(const std::string& url);

// One Janus session with one plugin handle, destroyed with the object.
class JanusSession {
 public:
  // Creates the session and attaches to the plugin; the reason when it cannot.
  static std::variant<std::unique_ptr<JanusSession>, std::string> Open(const std::string& url,
                                                                       const std::string& plugin);
  ~JanusSession();
  JanusSession(const JanusSession&) = delete;
  JanusSession& operator=(const JanusSession&) = delete;

  // The plugin's answer to one request, whether it came with the reply or as a later event.
  // A plugin that refuses answers with "error_code" and "error"; the reason is returned only
  // when no answer came at all.
  std::variant<Json::Value, std::string> Ask(const Json::Value& body);

 private:
  JanusSession(std::string url, MediaServerAddress address);
  // The Janus reply to one message posted under the API's path, not yet checked for
  // success.
  std::variant<Json::Value, std::string> Post(const std::string& below, Json::Value message);
  std::variant<Json::Value, std::string> WaitForEvent(const std::string& transaction,
                                                      const std::string& request);
  std::string NextTransaction();

  std::string url_;
  MediaServerAddress address_;
  std::unique_ptr<httplib::Client> client_;
  std::string session_path_;  // empty until the session exists
  std::string handle_path_;
  uint64_t transactions_ = 0;
};

// Makes sure the VideoRoom room exists on the media server, created with the admin key (also
// its secret) and admitting only the given keys; the reason when it does not.
std::optional<std::string> EnsureRoom(const std::string& url, const std::string& admin_key,
                                      const std::string& room,
                                      const std::vector<std::string>& allowed);
