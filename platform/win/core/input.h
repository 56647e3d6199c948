// Input from the screen (X11 events, or the headless hooks) turned into window messages,
// as the user's input would be: to the window under the cursor (or the capture, or the
// focus), after WM_NCHITTEST, posted to that window's thread.
#pragma once

#include <windows.h>

namespace win::core {

enum class MouseButton { Left, Right, Middle };

void RouteMouseMove(POINT screen);
void RouteMouseButton(MouseButton button, bool down);
void RouteMouseWheel(int delta);
// The modifier keys held, as MOD_* flags (the screen tells them with each key event).
void SetModifiers(UINT modifiers);
UINT CurrentModifiers();
// A key; character is what the press types (0 for none). A registered hotkey takes the press.
void RouteKey(UINT virtual_key, bool down, wchar_t character, bool repeat);
// A grabbed combination pressed: WM_HOTKEY to its window. False when none is registered.
bool RouteHotKey(UINT modifiers, UINT virtual_key, bool repeat);
// The window manager asks a top-level window to close.
void RouteCloseRequest(HWND window);
// The window manager moved or resized a top-level window.
void RouteNativeGeometry(HWND window, const RECT& rect);
// The window manager minimised or restored a top-level window.
void RouteNativeMinimized(HWND window, bool minimized);
// The window manager activated one of this program's windows.
void RouteNativeActivated(HWND window);

}  // namespace win::core
