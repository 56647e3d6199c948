// The lesson service's six paths: from a decoded form to the reply envelope
// {"code", "msg", "data"}. Refusals carry a non-zero "code" and a "msg" in the language the
// request named ("cn" Chinese, anything else English). Given media servers, an access request
// also places the lesson on one and makes sure its room is there before it is answered.
#pragma once

#include <json/json.h>

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The paths are the client's own: one list for both sides of the wire.
#include "service/api_address.h"
#include "tools/lesson-service/form_fields.h"
#include "tools/lesson-service/lesson_store.h"
#include "tools/lesson-service/login_throttle.h"

const std::vector<std::string>& ApiPaths();

// Refusal codes.
enum class Refusal {
  kUnknownCode = 1001,
  kUnknownToken = 1002,
  kWrongRole = 1003,
  kUnknownLesson = 1004,
  kMalformedReport = 1005,
  kMediaServerUnavailable = 1006,
  kTooManyFailedLogins = 1007,
};

// The media servers lessons meet on, by their Janus API address; none: lessons are not
// placed and access replies name no media server.
struct MediaServers {
  std::vector<std::string> urls;
  std::string admin_key;        // the one the media servers' VideoRoom plugin is configured with
  std::ostream* log = nullptr;  // why a media server failed, when set
};

// Media parameters every lesson gets in the login reply's "config".
struct MediaConfig {
  int video_profile = 40;
  int play_volume = 100;
  int record_volume = 100;
  int audio_scenario = 0;
  int audio_profile = 0;
};

class LessonApi {
 public:
  explicit LessonApi(LessonStore& store, MediaServers media_servers = {})
      : store_(store), media_servers_(std::move(media_servers)) {}

  // The reply for one request from the client at that address; nullopt for a path that is
  // not one of the six.
  std::optional<Json::Value> Answer(const std::string& path, const FormFields& fields,
                                    const std::string& client_address = {});

 private:
  Json::Value Config();
  Json::Value Login(const FormFields& fields, const std::string& client_address);
  Json::Value Access(Role role, const FormFields& fields);
  Json::Value MediaLog(const FormFields& fields);
  // The lesson's room, ready on its media server; the reason when it is not.
  std::variant<MediaRoom, std::string> ReadyRoom(const Lesson& lesson);

  LessonStore& store_;
  MediaServers media_servers_;
  MediaConfig media_;
  LoginThrottle failed_logins_;
};

// The envelope of a refusal, in the request's language.
Json::Value RefusalReply(long long code, const std::string& message);
bool WantsChinese(const FormFields& fields);
