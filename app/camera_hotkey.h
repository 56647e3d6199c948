// The camera-switch hotkey: one system-wide combination (HOTKEY_CAMERA_SWITCH) on the main
// window, stored as text such as "Alt + S", that alternates between the first two cameras
// during a lesson. The main window registers it from the stored text when it starts, again
// from the settings dialog's choice (UM_HOTKEY_CHANGED), unregisters it when its window is
// finally destroyed, and hands WM_HOTKEY to SwitchCamera while in the classroom.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

class MediaEngine;

// What a hotkey text asks RegisterHotKey for.
struct HotkeyCombination {
  UINT modifiers;    // at most one MOD_ flag, always with MOD_NOREPEAT
  UINT virtual_key;  // the key part's first character, unchanged ("F5" gives 'F')
};

// Modifier, "+", key, with spaces around the parts, any case. Only the first modifier word
// counts (ALT, then CTRL, SHIFT, WIN); without "+" the whole text is the key. Nothing when
// the key part is empty.
std::optional<HotkeyCombination> ParseHotkeyText(const std::string& text);

// Replaces the hotkey with the text's combination; a refused registration (the combination
// is taken, or the key is not one) leaves none and posts UM_HOTKEY_FAILED to main_window.
// A text without a key changes nothing.
void RegisterHotkeyText(HWND main_window, const std::string& text);

// Replaces the hotkey with the settings dialog's combination: control_flags in the hotkey
// control's form (1 Shift, 2 Ctrl, 4 Alt; only the first of Alt, Ctrl, Shift counts) and a
// virtual-key code, as UM_HOTKEY_CHANGED carries them. A refusal goes unreported.
void RegisterHotkeyFromControl(HWND main_window, WPARAM control_flags, LPARAM virtual_key);

void UnregisterCameraHotkey(HWND main_window);

// Selects the second camera when the first is current, else the first, and restarts video so
// that the engine takes it up. Nothing with fewer than two cameras. True when a camera was
// selected: that ends a screen capture, which the caller then tells the meeting view.
bool SwitchCamera(MediaEngine& media);
