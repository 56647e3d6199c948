// The two replies of a login: the login step (role, token, lesson id, media settings) and the
// access step (channel credentials, the participants' media uids, the lesson's times).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "service/lesson_terms.h"
#include "service/reply_envelope.h"

struct LessonMediaConfig {
  int32_t video_profile = 0;
  bool screen_sharing = false;
  bool recording = false;
  int32_t play_volume = 0;
  int32_t record_volume = 0;
  int32_t audio_scenario = 0;
  int32_t audio_profile = 0;
};

struct LoginData {
  std::string user_type;
  std::string token;
  std::string meeting_id;
  std::optional<LessonMediaConfig> config;  // only when the reply carries a non-empty "config"
};

struct AccessData {
  std::string signaling_key;
  std::string channel_key;
  std::string channel_name;
  int32_t uid = 0;
  int32_t student_id = 0;
  int32_t teacher_id = 0;
  int32_t assistant_id = 0;
  int32_t play_volume = 0;
  int32_t record_volume = 0;
  int64_t start_time = 0;
  int64_t duration = 0;
  int64_t countdown = 0;
  int64_t forceclose = 0;
  std::string media_server;  // where the lesson's media meet; empty when the reply names none
};

// One step's outcome: the data on success, else the text to show the user.
template <typename Data>
struct StepOutcome {
  std::optional<Data> data;
  std::string failure_message;

  bool succeeded() const { return data.has_value(); }
};

// Not JSON: the message is the reply. Refused: the service's "msg". Either is cut to its first
// 300 characters and an ellipsis, the whole text going to the debug output. Wrong shape: a
// text naming the value, in the user's language.
StepOutcome<LoginData> ReadLoginReply(const std::string& reply, bool chinese_ui);
StepOutcome<AccessData> ReadAccessReply(const std::string& reply, bool chinese_ui);

// The access request's path for the participant's role.
const char* AccessPathFor(LessonRole role);
