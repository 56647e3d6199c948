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
  UINT modifiers;  // MOD_ flags, always with MOD_NOREPEAT
  UINT virtual_key;
};

// The text in the settings dialog's shown form ("Ctrl + Shift + A", "Alt + F5", "S"): modifier
// words Alt, Ctrl, Shift and Win and one key name, in any case and spacing. Nothing for any
// other text.
std::optional<HotkeyCombination> ParseHotkeyText(const std::string& text);

// Replaces the hotkey with the text's combination and returns it; a refused registration (the
// combination is taken) leaves none and posts UM_HOTKEY_FAILED to main_window. A text naming
// no combination changes nothing and returns none.
std::optional<HotkeyCombination> RegisterHotkeyText(HWND main_window, const std::string& text);

// Replaces the hotkey with the settings dialog's combination: control_flags in the hotkey
// control's form (1 Shift, 2 Ctrl, 4 Alt, 8 Win) and a virtual-key code, as UM_HOTKEY_CHANGED
// carries them. A refusal posts UM_HOTKEY_FAILED and registers previous again when it is still
// free. Returns the combination registered afterwards.
std::optional<HotkeyCombination> RegisterHotkeyFromControl(
    HWND main_window, WPARAM control_flags, LPARAM virtual_key,
    const std::optional<HotkeyCombination>& previous);

void UnregisterCameraHotkey(HWND main_window);

// Selects the second camera when the first is current, else the first, and restarts video so
// that the engine takes it up. Nothing with fewer than two cameras. True when a camera was
// selected: that ends a screen capture, which the caller then tells the meeting view.
bool SwitchCamera(MediaEngine& media);
