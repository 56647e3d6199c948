// Test hooks of the headless backend: its virtual screen, cursor, clock and keyboard, and
// screenshots. Each returns false (or does nothing) when the X11 backend is in use.
// Platform code and tests only; the program never includes this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/types.h"

namespace win::headless {

// True when the headless backend serves this process (QUORVEL_HEADLESS=1 or no DISPLAY).
bool Active();

// The virtual clock starts at 0 ms (timers) and, for GetSystemTimeAsFileTime, at the real time
// of the first call into the window system. It moves only here; due timers fire at the next
// message retrieval of their thread. QUORVEL_HEADLESS_CLOCK=real makes it follow real time.
void AdvanceClock(std::int64_t milliseconds);
// Seconds since 1970-01-01 UTC that "now" shows from this moment on.
void SetUnixTime(std::int64_t seconds);

// Screen: one 1920 x 1080 monitor with a 1920 x 1040 work area until changed.
struct MonitorLayout {
  RECT monitor;
  RECT work;
};
void ResetMonitors();                           // back to the single default monitor
void AddMonitor(const MonitorLayout& monitor);  // after the existing ones; the first is primary

// Input, delivered like the user's: to the window under the point (or the capture), through
// WM_NCHITTEST, as posted messages that the window's thread picks up.
void MoveCursor(int x, int y);
enum class Button { Left, Right, Middle };
void PressButton(Button button);
void ReleaseButton(Button button);
void Click(Button button, int x, int y);  // move, press and release
// A key with the modifiers held (MOD_* flags): a registered hotkey gets WM_HOTKEY, otherwise
// the focus window gets the key messages.
void PressKey(UINT virtual_key, UINT modifiers);
void ReleaseKey(UINT virtual_key, UINT modifiers);
// Marks a combination as taken by another program, so that RegisterHotKey on it fails; with
// taken false, as free again.
void TakeHotKeyElsewhere(UINT modifiers, UINT virtual_key, bool taken = true);

// The window (with its children, regions applied) as drawn, as a PNG file; false on failure.
bool SaveWindowPng(HWND window, const std::string& path);
// Every visible window on the virtual screen, back to front, over black.
bool SaveScreenPng(const std::string& path);
// One pixel of the window's composed image (0xAARRGGBB); 0 outside or for no window.
std::uint32_t WindowPixel(HWND window, int x, int y);

// Every web address ShellExecuteW handed to the system's opener in this process, oldest first;
// empty under X11.
std::vector<std::wstring> OpenedAddresses();

}  // namespace win::headless
