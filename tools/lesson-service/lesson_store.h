// The lesson service's records in one SQLite file: lessons with their three lesson codes and
// media uids, the tokens issued at login, the media server each lesson is placed on, the
// client configuration, every media-log report and every request body received. Safe to use
// from the server's handler threads; several processes may share the file (the command line
// adds lessons while the service runs).
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "tools/lesson-service/system_random.h"

// The numbers are the "user_type" the login reply gives.
enum class Role { kStudent = 0, kTeacher = 1, kAssistant = 2 };
constexpr std::array<Role, 3> kRoles = {Role::kTeacher, Role::kStudent, Role::kAssistant};
const char* RoleName(Role role);

struct LessonOptions {
  int64_t start_in = 0;      // seconds from now
  int64_t duration = 3600;   // seconds
  int64_t countdown = 300;   // warning this long before the end
  int64_t forceclose = 600;  // closed this long after the end
  bool screen_sharing = false;
  bool recording = false;
};

struct Lesson {
  std::string meeting_id;
  std::string channel_name;
  std::string signaling_key;
  std::string channel_key;
  int64_t start_time = 0;
  int64_t duration = 0;
  int64_t countdown = 0;
  int64_t forceclose = 0;
  bool screen_sharing = false;
  bool recording = false;
  int32_t teacher_uid = 0;
  int32_t student_uid = 0;
  int32_t assistant_uid = 0;

  int32_t UidOf(Role role) const;
};

struct Participant {
  std::string code;
  std::string meeting_id;
  Role role = Role::kStudent;
  int32_t uid = 0;
  std::string token;  // empty until the first login
};

struct CreatedLesson {
  Lesson lesson;
  std::array<std::string, 3> codes;  // by kRoles order: teacher, student, assistant
};

// A lesson's room on the media server it is placed on, and the key each participant is
// admitted with.
struct MediaRoom {
  std::string media_server;
  std::array<std::string, 3> keys;  // by kRoles order: teacher, student, assistant

  const std::string& KeyOf(Role role) const;
};

struct ServiceConfig {
  std::string app_id = "3c9e0a4b7d21f6e85a0c4b9d2e7f1a63";
  std::string new_version;  // empty: no update is announced
  int32_t update = 0;
  std::string update_message;
  std::string update_url;
};

struct MediaLogReport {
  std::string meeting_id;
  int32_t target_uid = 0;
  int32_t upload_uid = 0;
  std::string action;
  int64_t received_at = 0;
};

struct ReceivedRequest {
  std::string path;
  std::string body;
};

// A database step that failed on a file that opened; the handler answers it as a server error.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

class LessonStore {
 public:
  // Opens or creates the file and its tables; the error text when it cannot.
  static std::variant<std::unique_ptr<LessonStore>, std::string> Open(const std::string& path);

  CreatedLesson CreateLesson(const LessonOptions& options);
  std::optional<Lesson> LessonById(const std::string& meeting_id);
  std::optional<Participant> ParticipantByCode(const std::string& code);
  std::optional<Participant> ParticipantByToken(const std::string& token);
  // The participant's token, issued on the first call and kept after it.
  std::string TokenFor(const Participant& participant);

  // The lesson's room. On the first call it is placed on the given media server with the
  // fewest lessons, the earliest given among equals; it stays there while that server is
  // among those given, and moves (keeping its keys) when it no longer is. At least one
  // media server is given.
  MediaRoom PlaceLesson(const std::string& meeting_id,
                        const std::vector<std::string>& media_servers);

  ServiceConfig Config();
  void SetConfig(const ServiceConfig& config);

  void AddReport(const MediaLogReport& report);
  std::vector<MediaLogReport> Reports();

  void AddRequest(const std::string& path, const std::string& body);
  std::vector<ReceivedRequest> Requests();

 private:
  explicit LessonStore(SqliteHandle db);
  std::string RandomDigits(size_t count);
  std::string RandomHex(size_t count);
  int32_t RandomUid();

  std::mutex mutex_;
  SqliteHandle db_;
  SystemRandom random_;
};
