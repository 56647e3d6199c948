#include "service/settings_file.h"

#include <windows.h>
#include <json/json.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "handles/file.h"
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

bool WriteWhole(const std::string& path, const std::string& text) {
  handles::File file(std::fopen(path.c_str(), "w"));
  if (!file) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  written = std::fflush(file.get()) == 0 && written;
  return std::fclose(file.release()) == 0 && written;
}

// Where app.conf goes, or why there is no such place.
struct Location {
  std::string path;
  std::string problem;
};

// Every missing folder on the way is created for this user alone.
bool CreateFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string level = folder.substr(0, slash);
    if (!PathFileExistsA(level.c_str()) && !CreateDirectoryA(level.c_str(), nullptr)) return false;
    if (slash == std::string::npos) return true;
  }
}

Location SettingsLocation() {
  char folder[kPathBufferSize] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, FALSE)) {
    return {"", "the user's configuration folder is unknown"};
  }
  const std::string own_folder = std::string(folder) + "/Quorvel";
  if (!CreateFolders(own_folder)) {
    return {"", "cannot create " + own_folder + ": " + std::strerror(errno)};
  }
  const std::string path = own_folder + "/app.conf";
  if (path.size() >= kPathBufferSize) return {"", "the path " + path + " is too long"};
  return {path, ""};
}

void ReportUnsaved(const std::string& problem) {
  std::fprintf(stderr, "Quorvel: settings not saved: %s\n", problem.c_str());
}

}  // namespace

std::string SettingsFilePath() { return SettingsLocation().path; }

void LoadSettings(DataHolder& holder) {
  LocalSettings& settings = holder.settings();
  LessonRecord& lesson = holder.lesson();
  std::ifstream file(SettingsFilePath());
  Json::Value root;
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  std::string errors;
  bool parsed = false;
  try {
    parsed = file && Json::parseFromStream(builder, file, &root, &errors);
  } catch (const Json::Exception&) {
    // jsoncpp throws, rather than failing, on nesting deeper than its stack limit.
  }
  if (parsed && root.isObject()) {
    settings.app_id = ReadText(root, "app_id");
    lesson.video_profile = ReadMember(root, "profile", Json::intValue, &Json::Value::asInt);
    settings.volume = ReadMember(root, "volume", Json::intValue, &Json::Value::asInt);
    settings.mirror_mode =
        ReadMember(root, "mirror_mode", Json::booleanValue, &Json::Value::asBool);
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

  const Location location = SettingsLocation();
  if (location.path.empty()) {
    ReportUnsaved(location.problem);
    return;
  }
  const std::string& path = location.path;
  const std::string staging = path + ".new";
  if (!WriteWhole(staging, text) ||
      !MoveFileExA(staging.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ReportUnsaved("cannot write " + path + ": " + std::strerror(errno));
    std::remove(staging.c_str());
  }
}
