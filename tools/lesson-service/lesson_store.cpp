#include "tools/lesson-service/lesson_store.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <map>
#include <random>

namespace {

constexpr const char* kSchema = R"sql(
PRAGMA journal_mode = WAL;
PRAGMA synchronous = NORMAL;
CREATE TABLE IF NOT EXISTS lessons (
  meeting_id TEXT PRIMARY KEY, channel_name TEXT NOT NULL, signaling_key TEXT NOT NULL,
  channel_key TEXT NOT NULL, start_time INTEGER NOT NULL, duration INTEGER NOT NULL,
  countdown INTEGER NOT NULL, forceclose INTEGER NOT NULL, screen_sharing INTEGER NOT NULL,
  recording INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS participants (
  code TEXT PRIMARY KEY, meeting_id TEXT NOT NULL REFERENCES lessons(meeting_id),
  role INTEGER NOT NULL, uid INTEGER NOT NULL, token TEXT UNIQUE);
CREATE TABLE IF NOT EXISTS rooms (
  meeting_id TEXT PRIMARY KEY REFERENCES lessons(meeting_id), media_server TEXT NOT NULL,
  teacher_key TEXT NOT NULL, student_key TEXT NOT NULL, assistant_key TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS config (
  id INTEGER PRIMARY KEY CHECK (id = 1), app_id TEXT NOT NULL, new_version TEXT NOT NULL,
  update_mode INTEGER NOT NULL, update_message TEXT NOT NULL, update_url TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS reports (
  id INTEGER PRIMARY KEY AUTOINCREMENT, meeting_id TEXT NOT NULL, target_uid INTEGER NOT NULL,
  upload_uid INTEGER NOT NULL, action TEXT NOT NULL, received_at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS requests (
  id INTEGER PRIMARY KEY AUTOINCREMENT, path TEXT NOT NULL, body BLOB NOT NULL);
)sql";

constexpr int kBusyTimeoutMs = 5000;

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// One prepared statement: bind with the chained Bind calls, then Step through the rows.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) Fail();
    statement_.reset(raw);
  }

  Statement& Bind(const std::string& text) {
    Check(sqlite3_bind_blob(statement_.get(), ++bound_, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  Statement& BindText(const std::string& text) {
    Check(sqlite3_bind_text(statement_.get(), ++bound_, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  Statement& Bind(int64_t number) {
    Check(sqlite3_bind_int64(statement_.get(), ++bound_, number));
    return *this;
  }

  // True while a row is available.
  bool Step() {
    int result = sqlite3_step(statement_.get());
    if (result == SQLITE_ROW) return true;
    if (result != SQLITE_DONE) Fail();
    return false;
  }
  void Run() {
    while (Step()) {
    }
  }

  std::string Text(int column) {
    const void* data = sqlite3_column_blob(statement_.get(), column);
    int size = sqlite3_column_bytes(statement_.get(), column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                : std::string();
  }
  int64_t Number(int column) { return sqlite3_column_int64(statement_.get(), column); }

 private:
  void Check(int result) {
    if (result != SQLITE_OK) Fail();
  }
  [[noreturn]] void Fail() { throw StoreError(sqlite3_errmsg(db_)); }

  sqlite3* db_;
  std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement_;
  int bound_ = 0;
};

// BEGIN IMMEDIATE for the scope: rolled back unless committed, so that a failed step leaves
// the file as it was for the other processes sharing it.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) { Statement(db_, "BEGIN IMMEDIATE").Run(); }
  ~Transaction() {
    if (!committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit() {
    Statement(db_, "COMMIT").Run();
    committed_ = true;
  }

 private:
  sqlite3* db_;
  bool committed_ = false;
};

constexpr const char* kLessonColumns =
    "meeting_id, channel_name, signaling_key, channel_key, start_time, duration, countdown, "
    "forceclose, screen_sharing, recording";

constexpr const char* kParticipantColumns = "code, meeting_id, role, uid, token";

Participant ReadParticipant(Statement& row) {
  Participant participant;
  participant.code = row.Text(0);
  participant.meeting_id = row.Text(1);
  participant.role = static_cast<Role>(row.Number(2));
  participant.uid = static_cast<int32_t>(row.Number(3));
  participant.token = row.Text(4);
  return participant;
}

}  // namespace

const char* RoleName(Role role) {
  switch (role) {
    case Role::kTeacher:
      return "teacher";
    case Role::kStudent:
      return "student";
    case Role::kAssistant:
      return "assistant";
  }
  return "assistant";
}

const std::string& MediaRoom::KeyOf(Role role) const {
  for (size_t i = 0; i < kRoles.size(); ++i) {
    if (kRoles[i] == role) return keys[i];
  }
  return keys[0];
}

int32_t Lesson::UidOf(Role role) const {
  switch (role) {
    case Role::kTeacher:
      return teacher_uid;
    case Role::kStudent:
      return student_uid;
    case Role::kAssistant:
      return assistant_uid;
  }
  return assistant_uid;
}

std::variant<std::unique_ptr<LessonStore>, std::string> LessonStore::Open(const std::string& path) {
  sqlite3* raw = nullptr;
  int result =
      sqlite3_open_v2(path.c_str(), &raw,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  SqliteHandle db(raw);
  if (result != SQLITE_OK) {
    return "cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(result));
  }
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  char* error = nullptr;
  if (sqlite3_exec(db.get(), kSchema, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string reason = "cannot prepare " + path + ": " + (error ? error : "unknown error");
    sqlite3_free(error);
    return reason;
  }
  return std::unique_ptr<LessonStore>(new LessonStore(std::move(db)));
}

LessonStore::LessonStore(SqliteHandle db) : db_(std::move(db)) {}

std::string LessonStore::RandomDigits(size_t count) {
  std::uniform_int_distribution<int> first(1, 9);
  std::uniform_int_distribution<int> digit(0, 9);
  std::string text(1, static_cast<char>('0' + first(random_)));
  while (text.size() < count) text += static_cast<char>('0' + digit(random_));
  return text;
}

std::string LessonStore::RandomHex(size_t count) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::uniform_int_distribution<int> nibble(0, 15);
  std::string text;
  while (text.size() < count) text += kHex[nibble(random_)];
  return text;
}

int32_t LessonStore::RandomUid() {
  std::uniform_int_distribution<int32_t> uid(100000, INT32_MAX);
  return uid(random_);
}

CreatedLesson LessonStore::CreateLesson(const LessonOptions& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  CreatedLesson created;
  Lesson& lesson = created.lesson;
  // Lesson ids and codes are random: on the rare clash the insert fails and is tried anew.
  constexpr int kAttempts = 16;
  for (int attempt = 0;; ++attempt) {
    lesson.meeting_id = RandomDigits(10);
    lesson.channel_name = "quorvel-" + lesson.meeting_id;
    lesson.signaling_key = RandomHex(32);
    lesson.channel_key = RandomHex(32);
    lesson.start_time = NowSeconds() + options.start_in;
    lesson.duration = options.duration;
    lesson.countdown = options.countdown;
    lesson.forceclose = options.forceclose;
    lesson.screen_sharing = options.screen_sharing;
    lesson.recording = options.recording;
    do {
      lesson.teacher_uid = RandomUid();
      lesson.student_uid = RandomUid();
      lesson.assistant_uid = RandomUid();
    } while (lesson.teacher_uid == lesson.student_uid ||
             lesson.teacher_uid == lesson.assistant_uid ||
             lesson.student_uid == lesson.assistant_uid);
    for (std::string& code : created.codes) code = RandomDigits(8);
    try {
      Transaction transaction(db_.get());
      Statement(db_.get(), "INSERT INTO lessons VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
          .BindText(lesson.meeting_id)
          .BindText(lesson.channel_name)
          .BindText(lesson.signaling_key)
          .BindText(lesson.channel_key)
          .Bind(lesson.start_time)
          .Bind(lesson.duration)
          .Bind(lesson.countdown)
          .Bind(lesson.forceclose)
          .Bind(int64_t{lesson.screen_sharing})
          .Bind(int64_t{lesson.recording})
          .Run();
      for (size_t i = 0; i < kRoles.size(); ++i) {
        Statement(db_.get(), "INSERT INTO participants VALUES (?, ?, ?, ?, NULL)")
            .BindText(created.codes[i])
            .BindText(lesson.meeting_id)
            .Bind(static_cast<int64_t>(kRoles[i]))
            .Bind(int64_t{lesson.UidOf(kRoles[i])})
            .Run();
      }
      transaction.Commit();
      return created;
    } catch (const StoreError&) {
      if (attempt + 1 == kAttempts) throw;
    }
  }
}

std::optional<Lesson> LessonStore::LessonById(const std::string& meeting_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement row(
      db_.get(),
      (std::string("SELECT ") + kLessonColumns + " FROM lessons WHERE meeting_id = ?").c_str());
  row.BindText(meeting_id);
  if (!row.Step()) return std::nullopt;
  Lesson lesson;
  lesson.meeting_id = row.Text(0);
  lesson.channel_name = row.Text(1);
  lesson.signaling_key = row.Text(2);
  lesson.channel_key = row.Text(3);
  lesson.start_time = row.Number(4);
  lesson.duration = row.Number(5);
  lesson.countdown = row.Number(6);
  lesson.forceclose = row.Number(7);
  lesson.screen_sharing = row.Number(8) != 0;
  lesson.recording = row.Number(9) != 0;
  Statement uids(db_.get(), "SELECT role, uid FROM participants WHERE meeting_id = ?");
  uids.BindText(meeting_id);
  while (uids.Step()) {
    auto uid = static_cast<int32_t>(uids.Number(1));
    switch (static_cast<Role>(uids.Number(0))) {
      case Role::kTeacher:
        lesson.teacher_uid = uid;
        break;
      case Role::kStudent:
        lesson.student_uid = uid;
        break;
      case Role::kAssistant:
        lesson.assistant_uid = uid;
        break;
    }
  }
  return lesson;
}

std::optional<Participant> LessonStore::ParticipantByCode(const std::string& code) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement row(
      db_.get(),
      (std::string("SELECT ") + kParticipantColumns + " FROM participants WHERE code = ?").c_str());
  row.BindText(code);
  if (!row.Step()) return std::nullopt;
  return ReadParticipant(row);
}

std::optional<Participant> LessonStore::ParticipantByToken(const std::string& token) {
  if (token.empty()) return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  Statement row(db_.get(), (std::string("SELECT ") + kParticipantColumns +
                            " FROM participants WHERE token = ?")
                               .c_str());
  row.BindText(token);
  if (!row.Step()) return std::nullopt;
  return ReadParticipant(row);
}

std::string LessonStore::TokenFor(const Participant& participant) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement current(db_.get(), "SELECT token FROM participants WHERE code = ?");
  current.BindText(participant.code);
  if (current.Step() && !current.Text(0).empty()) return current.Text(0);
  std::string token = RandomHex(40);
  Statement(db_.get(), "UPDATE participants SET token = ? WHERE code = ? AND token IS NULL")
      .BindText(token)
      .BindText(participant.code)
      .Run();
  // Another process may have issued one first; the stored token is the one that counts.
  Statement stored(db_.get(), "SELECT token FROM participants WHERE code = ?");
  stored.BindText(participant.code);
  return stored.Step() ? stored.Text(0) : token;
}

MediaRoom LessonStore::PlaceLesson(const std::string& meeting_id,
                                   const std::vector<std::string>& media_servers) {
  assert(!media_servers.empty());
  std::lock_guard<std::mutex> lock(mutex_);
  // Immediate, so that two services sharing the file cannot both count before either places.
  Transaction transaction(db_.get());
  MediaRoom room;
  bool placed = false;
  {
    Statement stored(db_.get(),
                     "SELECT media_server, teacher_key, student_key, assistant_key FROM rooms "
                     "WHERE meeting_id = ?");
    stored.BindText(meeting_id);
    placed = stored.Step();
    if (placed) {
      room.media_server = stored.Text(0);
      for (size_t i = 0; i < room.keys.size(); ++i) {
        room.keys[i] = stored.Text(1 + static_cast<int>(i));
      }
    }
  }
  if (!placed) {
    for (std::string& key : room.keys) key = RandomHex(32);
  } else if (std::find(media_servers.begin(), media_servers.end(), room.media_server) !=
             media_servers.end()) {
    return room;
  }

  std::map<std::string, int64_t> lessons_on;
  {
    Statement counts(db_.get(), "SELECT media_server, COUNT(*) FROM rooms GROUP BY media_server");
    while (counts.Step()) lessons_on[counts.Text(0)] = counts.Number(1);
  }
  room.media_server = *std::min_element(media_servers.begin(), media_servers.end(),
                                        [&lessons_on](const std::string& a, const std::string& b) {
                                          return lessons_on[a] < lessons_on[b];
                                        });
  if (placed) {
    Statement(db_.get(), "UPDATE rooms SET media_server = ? WHERE meeting_id = ?")
        .BindText(room.media_server)
        .BindText(meeting_id)
        .Run();
  } else {
    Statement(db_.get(), "INSERT INTO rooms VALUES (?, ?, ?, ?, ?)")
        .BindText(meeting_id)
        .BindText(room.media_server)
        .BindText(room.keys[0])
        .BindText(room.keys[1])
        .BindText(room.keys[2])
        .Run();
  }
  transaction.Commit();
  return room;
}

ServiceConfig LessonStore::Config() {
  std::lock_guard<std::mutex> lock(mutex_);
  ServiceConfig config;
  Statement row(db_.get(),
                "SELECT app_id, new_version, update_mode, update_message, update_url "
                "FROM config WHERE id = 1");
  if (row.Step()) {
    config.app_id = row.Text(0);
    config.new_version = row.Text(1);
    config.update = static_cast<int32_t>(row.Number(2));
    config.update_message = row.Text(3);
    config.update_url = row.Text(4);
  }
  return config;
}

void LessonStore::SetConfig(const ServiceConfig& config) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement(db_.get(), "INSERT OR REPLACE INTO config VALUES (1, ?, ?, ?, ?, ?)")
      .BindText(config.app_id)
      .BindText(config.new_version)
      .Bind(int64_t{config.update})
      .BindText(config.update_message)
      .BindText(config.update_url)
      .Run();
}

void LessonStore::AddReport(const MediaLogReport& report) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement(db_.get(),
            "INSERT INTO reports (meeting_id, target_uid, upload_uid, action, received_at) "
            "VALUES (?, ?, ?, ?, ?)")
      .BindText(report.meeting_id)
      .Bind(int64_t{report.target_uid})
      .Bind(int64_t{report.upload_uid})
      .BindText(report.action)
      .Bind(report.received_at ? report.received_at : NowSeconds())
      .Run();
}

std::vector<MediaLogReport> LessonStore::Reports() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<MediaLogReport> reports;
  Statement row(db_.get(),
                "SELECT meeting_id, target_uid, upload_uid, action, received_at FROM reports "
                "ORDER BY id");
  while (row.Step()) {
    MediaLogReport report;
    report.meeting_id = row.Text(0);
    report.target_uid = static_cast<int32_t>(row.Number(1));
    report.upload_uid = static_cast<int32_t>(row.Number(2));
    report.action = row.Text(3);
    report.received_at = row.Number(4);
    reports.push_back(report);
  }
  return reports;
}

void LessonStore::AddRequest(const std::string& path, const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement(db_.get(), "INSERT INTO requests (path, body) VALUES (?, ?)")
      .BindText(path)
      .Bind(body)
      .Run();
}

std::vector<ReceivedRequest> LessonStore::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<ReceivedRequest> requests;
  Statement row(db_.get(), "SELECT path, body FROM requests ORDER BY id");
  while (row.Step()) requests.push_back({row.Text(0), row.Text(1)});
  return requests;
}
