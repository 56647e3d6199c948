#include "service/data_holder.h"

#include "base/diagnostics.h"
#include "base/text_conversion.h"
#include "service/settings_file.h"

namespace {

constexpr const char* kVersionWithoutResource = "1.1.2";
// Long enough for a running transfer to notice the gate closing and give up.
constexpr std::chrono::milliseconds kWorkerStopBound{3000};

}  // namespace

AppInfo::AppInfo() {
  std::wstring version = ProgramVersionText();
  current_version = version.empty() ? kVersionWithoutResource : WideToAnsi(version);
}

DataHolder::DataHolder() {
  chinese_ui = IsChineseLocale(GetUserDefaultLCID());
  language = chinese_ui ? "cn" : "us";
  LoadSettings(*this);
}

DataHolder::~DataHolder() {
  worker_gate_->CloseAndWait(kWorkerStopBound);
  if (save_at_exit_) SaveSettings(*this);
}

AppInfo& DataHolder::app_info() {
  std::call_once(app_info_once_, [this] { app_info_ = std::make_unique<AppInfo>(); });
  return *app_info_;
}

LocalSettings& DataHolder::settings() {
  std::call_once(settings_once_, [this] { settings_ = std::make_unique<LocalSettings>(); });
  return *settings_;
}

LessonRecord& DataHolder::lesson() {
  std::call_once(lesson_once_, [this] { lesson_ = std::make_unique<LessonRecord>(); });
  return *lesson_;
}

std::string DataHolder::GetLanguage() {
  if (language.empty()) language = "us";
  return language;
}
