#include "service/login_reply.h"

#include <windows.h>

#include "base/text_conversion.h"
#include "service/api_address.h"

namespace {

using namespace reply_value;

// The notice measures and draws its text on the user-interface thread: a page-long error
// page would freeze the window, so the notice gets its beginning and the debug output all.
constexpr size_t kShownCharacters = 300;

std::string ForTheNotice(const std::string& text) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // A UTF-8 continuation byte belongs to the character before it.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (characters++ == kShownCharacters) {
      OutputDebugStringW((L"lesson service reply: " + Utf8ToWide(text)).c_str());
      return text.substr(0, i) + "\xe2\x80\xa6";  // an ellipsis
    }
  }
  return text;
}

LoginData ReadLogin(const Json::Value& data) {
  LoginData login;
  login.user_type = Text(data, "user_type", "data");
  login.token = Text(data, "token", "data");
  login.meeting_id = Text(data, "meeting_id", "data");
  const Json::Value& config = Member(data, "config", "data");
  if (IsPresent(config)) {
    const std::string path = "data/config";
    LessonMediaConfig media;
    media.video_profile = Int32(config, "media_video_profile", path);
    media.screen_sharing = Bool(config, "screen_sharing", path);
    media.recording = Bool(config, "recording", path);
    media.play_volume = Int32(config, "play_volume", path);
    media.record_volume = Int32(config, "record_volume", path);
    media.audio_scenario = Int32(config, "audio_scenario", path);
    media.audio_profile = Int32(config, "audio_profile", path);
    login.config = media;
  }
  return login;
}

AccessData ReadAccess(const Json::Value& data) {
  AccessData access;
  access.signaling_key = Text(data, "signaling_key", "data");
  access.channel_key = Text(data, "channel_key", "data");
  access.channel_name = Text(data, "channel_name", "data");
  access.uid = Int32(data, "uid", "data");
  access.student_id = Int32(data, "student_id", "data");
  access.teacher_id = Int32(data, "teacher_id", "data");
  access.assistant_id = Int32(data, "assistant_id", "data");
  access.play_volume = Int32(data, "play_volume", "data");
  access.record_volume = Int32(data, "record_volume", "data");
  access.start_time = Int64(data, "start_time", "data");
  access.duration = Int64(data, "duration", "data");
  access.countdown = Int64(data, "countdown", "data");
  access.forceclose = Int64(data, "forceclose", "data");
  if (data.isMember("media_server")) access.media_server = Text(data, "media_server", "data");
  return access;
}

template <typename Data, typename Reader>
StepOutcome<Data> ReadStep(const std::string& reply, bool chinese_ui, Reader read) {
  StepOutcome<Data> outcome;
  ReplyEnvelope envelope = ReadEnvelope(reply, DataRequirement::kNotEmpty);
  switch (envelope.verdict) {
    case ReplyVerdict::kNotJson:
      outcome.failure_message = ForTheNotice(reply);
      return outcome;
    case ReplyVerdict::kRefused:
      outcome.failure_message = ForTheNotice(envelope.refusal_message);
      return outcome;
    case ReplyVerdict::kMalformed:
      outcome.failure_message = MalformedReplyMessage(envelope.malformed_key, chinese_ui);
      return outcome;
    case ReplyVerdict::kAccepted:
      break;
  }
  try {
    outcome.data = read(Member(envelope.root, "data", ""));
  } catch (const ReplyShapeError& error) {
    outcome.failure_message = MalformedReplyMessage(error.key, chinese_ui);
  }
  return outcome;
}

}  // namespace

StepOutcome<LoginData> ReadLoginReply(const std::string& reply, bool chinese_ui) {
  return ReadStep<LoginData>(reply, chinese_ui, ReadLogin);
}

StepOutcome<AccessData> ReadAccessReply(const std::string& reply, bool chinese_ui) {
  return ReadStep<AccessData>(reply, chinese_ui, ReadAccess);
}

const char* AccessPathFor(LessonRole role) {
  switch (role) {
    case LessonRole::Teacher:
      return request_path::kTeacherAccess;
    case LessonRole::Student:
      return request_path::kStudentAccess;
    case LessonRole::Assistant:
      break;
  }
  return request_path::kAssistantAccess;
}
