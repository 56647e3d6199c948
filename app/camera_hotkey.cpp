#include "app/camera_hotkey.h"

#include <ui/ui.h>

#include "base/app_messages.h"
#include "base/text_conversion.h"
#include "media/media_engine.h"

namespace {

// The field's flags name each modifier separately; all of them are registered.
UINT ModifiersOfFlags(WORD flags) {
  UINT modifiers = MOD_NOREPEAT;
  if (flags & ui::kModAlt) modifiers |= MOD_ALT;
  if (flags & ui::kModControl) modifiers |= MOD_CONTROL;
  if (flags & ui::kModShift) modifiers |= MOD_SHIFT;
  if (flags & ui::kModWin) modifiers |= MOD_WIN;
  return modifiers;
}

bool Register(HWND main_window, const HotkeyCombination& combination) {
  return RegisterHotKey(main_window, HOTKEY_CAMERA_SWITCH, combination.modifiers,
                        combination.virtual_key) != FALSE;
}

}  // namespace

std::optional<HotkeyCombination> ParseHotkeyText(const std::string& text) {
  const std::optional<ui::HotKeyCombination> read = ui::ParseHotKeyText(AnsiToWide(text));
  if (!read) return std::nullopt;
  return HotkeyCombination{ModifiersOfFlags(read->modifiers), read->key};
}

std::optional<HotkeyCombination> RegisterHotkeyText(HWND main_window, const std::string& text) {
  const std::optional<HotkeyCombination> combination = ParseHotkeyText(text);
  if (!combination) return std::nullopt;
  UnregisterCameraHotkey(main_window);
  if (Register(main_window, *combination)) return combination;
  PostMessageW(main_window, UM_HOTKEY_FAILED, 0, 0);
  return std::nullopt;
}

std::optional<HotkeyCombination> RegisterHotkeyFromControl(
    HWND main_window, WPARAM control_flags, LPARAM virtual_key,
    const std::optional<HotkeyCombination>& previous) {
  const HotkeyCombination combination{ModifiersOfFlags(static_cast<WORD>(control_flags)),
                                      static_cast<UINT>(virtual_key)};
  UnregisterCameraHotkey(main_window);
  if (Register(main_window, combination)) return combination;
  PostMessageW(main_window, UM_HOTKEY_FAILED, 0, 0);
  if (previous && Register(main_window, *previous)) return previous;
  return std::nullopt;
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
