#include "service/settings_file.h"

#include <windows.h>
#include <json/json.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <memory>

#include "service/data_holder.h"

namespace {

constexpr size_t kPathBufferSize = 520;
constexpr int32_t kDefaultVolume = 80;
constexpr const char* kDefaultHotkey = "Alt + S";

// jsoncpp's conversions throw on a value they cannot convert (an object for text, text for
// a number, a number beyond 32 bits); such a member reads as absent: empty, 0 or false.
template <typename T>
T ReadMember(const Json::Value& root, const char* key, Json::ValueType type,
             T (Json::Value::*convert)() const) {
  const Json::Value& value = root[key];
  return value.isConvertibleTo(type) ? (value.*convert)() : T{};
}

// A text member that is not valid UTF-8 (raw bytes, or an escaped lone surrogate) could not be
// written back as it was read, so it reads as absent too.
std::string ReadText(const Json::Value& root, const char* key) {
  std::string text = ReadMember(root, key, Json::stringValue, &Json::Value::asString);
  if (text.empty() || text.size() > static_cast<size_t>(INT32_MAX)) return {};
  const bool valid = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0) != 0;
  return valid ? text : std::string();
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool WriteWhole(const std::string& path, const std::string& text) {
  File file(std::fopen(path.c_str(), "w"));
  if (!file) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  written = std::fflush(file.get()) == 0 && written;
  return std::fclose(file.release()) == 0 && written;
}

}  // namespace

std::string SettingsFilePath() {
  char folder[kPathBufferSize] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, FALSE);
  std::string path = std::string(folder) + "/Quorvel";
  if (!PathFileExistsA(path.c_str())) CreateDirectoryA(path.c_str(), nullptr);
  path += "/app.conf";
  return path.size() < kPathBufferSize ? path : std::string();
}

void LoadSettings(DataHolder& holder) {
  LocalSettings& settings = holder.settings();
  LessonRecord& lesson = holder.lesson();
  std::ifstream file(SettingsFilePath());
  Json::Value root;
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  std::string errors;
  if (file && Json::parseFromStream(builder, file, &root, &errors) && root.isObject()) {
    settings.app_id = ReadText(root, "app_id");
    lesson.video_profile = ReadMember(root, "profile", Json::intValue, &Json::Value::asInt);
    settings.volume = ReadMember(root, "volume", Json::intValue, &Json::Value::asInt);
    settings.mirror_mode = ReadMember(root, "mirror_mode", Json::booleanValue, &Json::Value::asBool);
    settings.hotkey = ReadText(root, "hotkey");
  }
  if (settings.volume == 0) settings.volume = kDefaultVolume;
  if (settings.hotkey.empty()) settings.hotkey = kDefaultHotkey;
}

void SaveSettings(DataHolder& holder) {
  const LocalSettings& settings = holder.settings();
  const LessonRecord& lesson = holder.lesson();
  Json::Value root(Json::objectValue);
  root["app_id"] = settings.app_id;
  root["profile"] = lesson.video_profile;
  root["volume"] = settings.volume;
  root["mirror_mode"] = settings.mirror_mode;
  root["hotkey"] = settings.hotkey;
  const std::string text = root.toStyledString() + "\n";

  const std::string path = SettingsFilePath();
  if (path.empty()) return;
  const std::string staging = path + ".new";
  if (!WriteWhole(staging, text) ||
      !MoveFileExA(staging.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    std::remove(staging.c_str());
  }
}
