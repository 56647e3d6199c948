// The one catalogue of the program's window messages, timers and its hotkey.
//
// Every message is posted, never sent. Engine events (1536 + the event's code) carry a heap
// record in wParam, owned by the receiving window from the moment the post succeeds: it frees
// the record and everything it points to once handled, whether it acts on it or not. Every
// other message carries plain integers; where one announces data, that data was written to the
// shared DataHolder before the post, and the receiver reads it only after receipt.
#pragma once

#include <windows.h>

// Engine events: 1536 + the engine's event code (1537 to 1571).
constexpr UINT kEngineEventBase = WM_USER + 512;
constexpr UINT EngineEventMessage(int event_code) {
  return kEngineEventBase + static_cast<UINT>(event_code);
}

// Between windows. wParam and lParam are 0 unless noted.
constexpr UINT UM_LESSON_START_REACHED = WM_USER + 2002;  // 3026, alarm bar -> main window; dropped
constexpr UINT UM_TILE_CLICKED = WM_USER + 2003;   // 3027, tile -> meeting view; wParam: button
                                                   // state, lParam: signed x | signed y << 16
                                                   // in the meeting view's client space
constexpr UINT UM_NOTICE_CLOSED = WM_USER + 2004;  // 3028, main window -> login view
constexpr UINT UM_ENGINE_READY = WM_USER + 2005;   // 3029, main window -> login view;
                                                   // wParam 2026 (not read)
constexpr UINT UM_NETWORK_TEST_STARTED = WM_USER + 2008;  // 3032, main window -> itself
constexpr UINT UM_NETWORK_TEST_RESULT =
    WM_USER + 2009;  // 3033, main window -> itself, and on a pass
                     // -> login view; wParam 1 passed, 0 failed
constexpr UINT UM_NETWORK_TEST_COMPLETE = WM_USER + 2010;  // 3034, main window -> itself
constexpr UINT UM_CAMERA_RESTARTED = WM_USER + 2011;  // 3035, settings dialog -> main window ->
                                                      // meeting view
constexpr UINT UM_HOTKEY_CHANGED = WM_USER + 2012;    // 3036, settings dialog -> main window;
                                                      // wParam: 1 Shift|2 Ctrl|4 Alt|8 Win,
                                                      // lParam: virtual-key code (non-zero)
constexpr UINT UM_HOTKEY_FAILED = WM_USER + 2013;     // 3037, main window -> itself
constexpr UINT UM_END_REQUESTED = WM_USER + 2014;     // 3038, a termination signal -> main
                                                      // window: close without asking
constexpr UINT UM_OWN_LEFT = WM_USER + 2015;          // 3039, meeting view -> main window,
                                                      // after the own exit report started
constexpr UINT UM_HOTKEY_REFUSED = WM_USER + 2016;    // 3040, main window -> settings dialog
constexpr UINT UM_NETWORK_TIP_DUE = WM_USER + 2017;   // 3041, meeting view -> itself, after
                                                      // network quality reports

// Completion of the worker requests, posted to DataHolder::main_window.
constexpr UINT UM_CONFIG_DONE = WM_USER + 5000;   // 6024, whatever the outcome
constexpr UINT UM_LOGIN_RESULT = WM_USER + 5001;  // 6025; wParam: 0 login step, 1 access step;
                                                  // lParam: 1 succeeded, 0 failed

// Timers (wParam of WM_TIMER), each on the window that starts it. The window library runs
// timers 4101 (tooltip delay) and 4102 (caret blink) on the program's windows: never use those.
constexpr UINT_PTR TIMER_LESSON_CLOCK = 1124;      // alarm bar and status bar, 500 ms
constexpr UINT_PTR TIMER_NOTICE = 2024;            // main window, 3000 ms, one shot
constexpr UINT_PTR TIMER_CONTROL_BAR_HIDE = 2025;  // control bar, 3000 ms
constexpr UINT_PTR TIMER_ENGINE_START = 2026;      // main window, 500 ms, one shot
constexpr UINT_PTR TIMER_FLOAT_TIP = 2027;  // floating tip; never started, any expiry hides it
constexpr UINT_PTR TIMER_END_BOUND = 2028;  // main window, 2000 ms, one shot: ends the
                                            // program when the lesson's leave never came

constexpr UINT kEngineStartDelayMs = 500;
constexpr UINT kNoticeDurationMs = 3000;
constexpr UINT kControlBarHideMs = 3000;
constexpr UINT kLessonClockPeriodMs = 500;
constexpr UINT kEndBoundMs = 2000;

// The camera-switch hotkey, registered on the main window.
constexpr int HOTKEY_CAMERA_SWITCH = 4024;
