// Helpers for window tests: a window class whose procedure a test
// supplies, and message loops that end by a condition or by a watchdog, never by hanging.
#pragma once

#include <windows.h>
#include <win/headless.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace win_test {

using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// A class named name whose windows call the handler given to CreateTestWindow (or
// DefWindowProcW without one).
void RegisterTestClass(const std::wstring& name);
HWND CreateTestWindow(const std::wstring& class_name, Handler handler, DWORD style = WS_POPUP,
                      int x = 0, int y = 0, int width = 100, int height = 100,
                      HWND parent = nullptr, DWORD ex_style = 0, LPVOID param = nullptr);
// Destroys every window the test created that is still there, and lets go of the capture,
// so that the next test starts on an empty screen.
void DestroyTestWindows();
// Replaces a window's handler.
void SetHandler(HWND window, Handler handler);

// Dispatches what is ready, without waiting.
void PumpPending();
// Runs a blocking GetMessageW loop until done() holds; false when the watchdog ended it.
bool RunLoopUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace win_test
