#include "app/camera_hotkey.h"

#include "app/app_messages.h"
#include "app/text_conversion.h"
#include "media/media_engine.h"

namespace {

// Bytes outside a to z stay as they are, whatever the locale.
std::string UpperCaseAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string TrimSpaces(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

UINT ModifierFromWords(const std::string& words) {
  if (words.find("ALT") != std::string::npos) return MOD_ALT;
  if (words.find("CTRL") != std::string::npos) return MOD_CONTROL;
  if (words.find("SHIFT") != std::string::npos) return MOD_SHIFT;
  if (words.find("WIN") != std::string::npos) return MOD_WIN;
  return 0;
}

constexpr WPARAM kControlShift = 1;
constexpr WPARAM kControlCtrl = 2;
constexpr WPARAM kControlAlt = 4;

UINT ModifierFromControl(WPARAM flags) {
  if (flags & kControlAlt) return MOD_ALT;
  if (flags & kControlCtrl) return MOD_CONTROL;
  if (flags & kControlShift) return MOD_SHIFT;
  return 0;
}

}  // namespace

std::optional<HotkeyCombination> ParseHotkeyText(const std::string& text) {
  const std::string upper = UpperCaseAscii(text);
  const size_t plus = upper.find('+');
  std::string modifier_part;
  std::string key_part = upper;
  if (plus != std::string::npos) {
    modifier_part = TrimSpaces(upper.substr(0, plus));
    key_part = upper.substr(plus + 1);
  }
  const std::wstring key = AnsiToWide(TrimSpaces(key_part));
  if (key.empty()) return std::nullopt;
  return HotkeyCombination{ModifierFromWords(modifier_part) | MOD_NOREPEAT,
                           static_cast<UINT>(key.front())};
}

void RegisterHotkeyText(HWND main_window, const std::string& text) {
  const std::optional<HotkeyCombination> combination = ParseHotkeyText(text);
  if (!combination) return;
  UnregisterCameraHotkey(main_window);
  if (!RegisterHotKey(main_window, HOTKEY_CAMERA_SWITCH, combination->modifiers,
                      combination->virtual_key)) {
    PostMessageW(main_window, UM_HOTKEY_FAILED, 0, 0);
  }
}

void RegisterHotkeyFromControl(HWND main_window, WPARAM control_flags, LPARAM virtual_key) {
  UnregisterCameraHotkey(main_window);
  RegisterHotKey(main_window, HOTKEY_CAMERA_SWITCH, ModifierFromControl(control_flags),
                 static_cast<UINT>(virtual_key));
}

void UnregisterCameraHotkey(HWND main_window) {
  UnregisterHotKey(main_window, HOTKEY_CAMERA_SWITCH);
}

bool SwitchCamera(MediaEngine& media) {
  if (media.RefreshCameras() == nullptr || media.CameraCount() < 2) return false;
  std::wstring name;
  std::wstring first;
  std::wstring second;
  if (!media.CameraAt(0, name, first) || !media.CameraAt(1, name, second)) return false;
  const bool selected = media.SelectCamera(media.CurrentCamera() == first ? second : first);
  media.EnableVideo(false);
  media.EnableVideo(true);
  return selected;
}
