// The one record through which the program's parts share what the lesson service, the
// settings file and the user's locale told them.
//
// Worker threads get a plain pointer to it. The hand-over rule is the posted message: a
// worker writes its fields, then posts its completion message to main_window; the
// user-interface thread reads those fields only when it handles that message. The
// sub-records are created on first use, safely from any thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "service/lesson_terms.h"
#include "service/worker_gate.h"

struct AppInfo {
  AppInfo();

  int32_t update = 0;  // 0 no update, 1 optional, 2 forced
  std::string new_version;
  std::string update_message;  // system ANSI code page
  std::string update_url;
  std::string current_version;  // this client's "major.minor.build"
};

struct LocalSettings {
  std::string app_id;
  int32_t volume = 0;
  bool mirror_mode = false;
  std::string hotkey;
};

struct LessonRecord {
  std::string signaling_key;
  std::string channel_key;
  std::string channel_name;
  std::string user_type;  // "1" teacher, "0" student, anything else assistant
  std::string token;
  std::string meeting_id;
  std::string lesson_code;
  std::string media_server;  // the media server's address from the access reply, if any
  int32_t uid = 0;
  int32_t student_id = 0;
  int32_t teacher_id = 0;
  int32_t assistant_id = 0;
  bool screen_sharing = false;
  bool recording = false;
  int32_t video_profile = 0;
  int32_t play_volume = 0;
  int32_t record_volume = 0;
  int32_t audio_scenario = 0;
  int32_t audio_profile = 0;
  int32_t render_mode = 2;  // every video canvas fits its frame
  int64_t start_time = 0;   // seconds since 1970-01-01 UTC
  int64_t duration = 0;
  int64_t countdown = 0;
  int64_t forceclose = 0;

  LessonRole role() const { return RoleOfUserType(user_type); }
  LessonRole seat() const { return SeatOfUserType(user_type); }
  LessonMoments moments() const {
    return LessonMomentsOf(start_time, duration, countdown, forceclose);
  }
};

class DataHolder {
 public:
  // Takes the language from the user's default locale, then loads the settings file.
  DataHolder();
  // Stops the request workers first (a bounded wait), then saves the settings file unless
  // told not to.
  ~DataHolder();
  DataHolder(const DataHolder&) = delete;
  DataHolder& operator=(const DataHolder&) = delete;

  AppInfo& app_info();
  LocalSettings& settings();
  LessonRecord& lesson();

  // For a run that only answers and ends (an option, or a second copy raising the first):
  // what it never changed is not written back.
  void SkipSavingAtExit() { save_at_exit_ = false; }

  // "cn" or "us"; an empty language becomes "us".
  std::string GetLanguage();
  std::string GetLastMessage() const { return last_message; }

  // Shared with every request worker started on this holder; closed when it is destroyed.
  std::shared_ptr<WorkerGate> worker_gate() const { return worker_gate_; }

  std::string last_message;
  std::string language;
  bool chinese_ui = false;
  HWND main_window = nullptr;

 private:
  std::once_flag app_info_once_;
  std::once_flag settings_once_;
  std::once_flag lesson_once_;
  std::unique_ptr<AppInfo> app_info_;
  std::unique_ptr<LocalSettings> settings_;
  std::unique_ptr<LessonRecord> lesson_;
  std::shared_ptr<WorkerGate> worker_gate_ = std::make_shared<WorkerGate>();
  bool save_at_exit_ = true;
};

// The process-wide instance, constructed before the entry point and destroyed after it.
DataHolder& TheDataHolder();

// True when the locale identifier's primary language is Chinese, whatever the region.
constexpr bool IsChineseLocale(LCID lcid) { return (lcid & 0xFF) == 0x04; }
