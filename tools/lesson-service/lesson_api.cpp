#include "tools/lesson-service/lesson_api.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ostream>

#include "tools/lesson-service/media_room.h"

namespace {

struct Texts {
  const char* english;
  const char* chinese;
};

std::string InLanguage(const FormFields& fields, const Texts& texts) {
  return WantsChinese(fields) ? texts.chinese : texts.english;
}

Json::Value Refuse(Refusal refusal, const FormFields& fields) {
  static const Texts kUnknownCode = {"Unknown lesson code", "课程码不存在"};
  static const Texts kUnknownToken = {
      "Unknown or expired token, please enter the lesson code again",
      "登录已失效，请重新输入课程码"};
  static const Texts kWrongRole = {"This lesson code is not for this role", "该课程码不属于此角色"};
  static const Texts kUnknownLesson = {"Unknown lesson", "课程不存在"};
  static const Texts kMalformedReport = {"Malformed media log report", "日志参数有误"};
  static const Texts kMediaServerUnavailable = {
      "The lesson's media server is not available, please try again later",
      "课程的媒体服务器暂时不可用，请稍后再试"};
  static const Texts kTooManyFailedLogins = {
      "Too many wrong lesson codes from this computer, please try again in a minute",
      "本机输入错误课程码的次数过多，请一分钟后再试"};
  const Texts* texts = &kMalformedReport;
  switch (refusal) {
    case Refusal::kUnknownCode:
      texts = &kUnknownCode;
      break;
    case Refusal::kUnknownToken:
      texts = &kUnknownToken;
      break;
    case Refusal::kWrongRole:
      texts = &kWrongRole;
      break;
    case Refusal::kUnknownLesson:
      texts = &kUnknownLesson;
      break;
    case Refusal::kMalformedReport:
      texts = &kMalformedReport;
      break;
    case Refusal::kMediaServerUnavailable:
      texts = &kMediaServerUnavailable;
      break;
    case Refusal::kTooManyFailedLogins:
      texts = &kTooManyFailedLogins;
      break;
  }
  return RefusalReply(static_cast<long long>(refusal), InLanguage(fields, *texts));
}

Json::Value Success(Json::Value data) {
  Json::Value reply(Json::objectValue);
  reply["code"] = 0;
  reply["msg"] = "ok";
  reply["data"] = std::move(data);
  return reply;
}

std::optional<int32_t> ParseUid(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

const std::vector<std::string>& ApiPaths() {
  static const std::vector<std::string> kPaths = {
      request_path::kConfig,        request_path::kLogin,           request_path::kTeacherAccess,
      request_path::kStudentAccess, request_path::kAssistantAccess, request_path::kMediaLog};
  return kPaths;
}

bool WantsChinese(const FormFields& fields) { return FieldOf(fields, "lan") == "cn"; }

Json::Value RefusalReply(long long code, const std::string& message) {
  Json::Value reply(Json::objectValue);
  reply["code"] = static_cast<Json::Int64>(code);
  reply["msg"] = message;
  return reply;
}

std::optional<Json::Value> LessonApi::Answer(const std::string& path, const FormFields& fields,
                                             const std::string& client_address) {
  if (path == request_path::kConfig) return Config();
  if (path == request_path::kLogin) return Login(fields, client_address);
  if (path == request_path::kTeacherAccess) return Access(Role::kTeacher, fields);
  if (path == request_path::kStudentAccess) return Access(Role::kStudent, fields);
  if (path == request_path::kAssistantAccess) return Access(Role::kAssistant, fields);
  if (path == request_path::kMediaLog) return MediaLog(fields);
  return std::nullopt;
}

Json::Value LessonApi::Config() {
  ServiceConfig config = store_.Config();
  Json::Value data(Json::objectValue);
  data["mediaAppId"] = config.app_id;
  if (!config.new_version.empty()) {
    Json::Value& app = data["app"];
    app["newVer"] = config.new_version;
    app["update"] = config.update;
    app["updateMsg"] = config.update_message;
    app["updateUrl"] = config.update_url;
  }
  return Success(std::move(data));
}

Json::Value LessonApi::Login(const FormFields& fields, const std::string& client_address) {
  const auto now = LoginThrottle::Clock::now();
  if (failed_logins_.Refuses(client_address, now)) {
    return Refuse(Refusal::kTooManyFailedLogins, fields);
  }
  std::optional<Participant> participant = store_.ParticipantByCode(FieldOf(fields, "code"));
  if (!participant) {
    failed_logins_.RecordFailure(client_address, now);
    return Refuse(Refusal::kUnknownCode, fields);
  }
  std::optional<Lesson> lesson = store_.LessonById(participant->meeting_id);
  if (!lesson) return Refuse(Refusal::kUnknownLesson, fields);

  Json::Value data(Json::objectValue);
  data["user_type"] = static_cast<int>(participant->role);
  data["token"] = store_.TokenFor(*participant);
  data["meeting_id"] = participant->meeting_id;
  Json::Value& config = data["config"];
  config["media_video_profile"] = media_.video_profile;
  config["screen_sharing"] = lesson->screen_sharing;
  config["recording"] = lesson->recording;
  config["play_volume"] = media_.play_volume;
  config["record_volume"] = media_.record_volume;
  config["audio_scenario"] = media_.audio_scenario;
  config["audio_profile"] = media_.audio_profile;
  return Success(std::move(data));
}

Json::Value LessonApi::Access(Role role, const FormFields& fields) {
  std::optional<Participant> participant = store_.ParticipantByToken(FieldOf(fields, "token"));
  if (!participant) return Refuse(Refusal::kUnknownToken, fields);
  if (participant->meeting_id != FieldOf(fields, "meeting_id")) {
    return Refuse(Refusal::kUnknownLesson, fields);
  }
  if (participant->role != role) return Refuse(Refusal::kWrongRole, fields);
  std::optional<Lesson> lesson = store_.LessonById(participant->meeting_id);
  if (!lesson) return Refuse(Refusal::kUnknownLesson, fields);

  std::optional<MediaRoom> room;
  if (!media_servers_.urls.empty()) {
    auto ready = ReadyRoom(*lesson);
    if (auto* reason = std::get_if<std::string>(&ready)) {
      if (media_servers_.log) *media_servers_.log << "quorvel-lesson-service: " + *reason + "\n";
      return Refuse(Refusal::kMediaServerUnavailable, fields);
    }
    room = std::get<MediaRoom>(std::move(ready));
  }

  Json::Value data(Json::objectValue);
  data["signaling_key"] = lesson->signaling_key;
  // A lesson's room admits each participant by a key of its own.
  data["channel_key"] = room ? room->KeyOf(role) : lesson->channel_key;
  data["channel_name"] = lesson->channel_name;
  data["uid"] = participant->uid;
  data["student_id"] = lesson->student_uid;
  data["teacher_id"] = lesson->teacher_uid;
  data["assistant_id"] = lesson->assistant_uid;
  data["play_volume"] = media_.play_volume;
  data["record_volume"] = media_.record_volume;
  data["start_time"] = static_cast<Json::Int64>(lesson->start_time);
  data["duration"] = static_cast<Json::Int64>(lesson->duration);
  data["countdown"] = static_cast<Json::Int64>(lesson->countdown);
  data["forceclose"] = static_cast<Json::Int64>(lesson->forceclose);
  if (room) data["media_server"] = room->media_server;
  return Success(std::move(data));
}

std::variant<MediaRoom, std::string> LessonApi::ReadyRoom(const Lesson& lesson) {
  MediaRoom room = store_.PlaceLesson(lesson.meeting_id, media_servers_.urls);
  std::vector<std::string> allowed(room.keys.begin(), room.keys.end());
  if (auto reason =
          EnsureRoom(room.media_server, media_servers_.admin_key, lesson.channel_name, allowed)) {
    return *reason;
  }
  return room;
}

Json::Value LessonApi::MediaLog(const FormFields& fields) {
  MediaLogReport report;
  report.meeting_id = FieldOf(fields, "meeting_id");
  report.action = FieldOf(fields, "action");
  std::optional<int32_t> target = ParseUid(FieldOf(fields, "target_uid"));
  std::optional<int32_t> upload = ParseUid(FieldOf(fields, "upload_uid"));
  if (!target || !upload || (report.action != "enter" && report.action != "exit")) {
    return Refuse(Refusal::kMalformedReport, fields);
  }
  if (!store_.LessonById(report.meeting_id)) return Refuse(Refusal::kUnknownLesson, fields);
  report.target_uid = *target;
  report.upload_uid = *upload;
  store_.AddReport(report);
  return Success(Json::Value(Json::objectValue));
}
