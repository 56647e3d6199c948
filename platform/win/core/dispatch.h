// Shared steps of the window calls: running a procedure without the model lock, telling
// the backend about top-level changes, and the checks that the calls start with.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "core/model.h"

namespace win::core {

// Calls the window's procedure on this thread (no lock held); 0 for a window that is gone.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Tells the backend the current state of a top-level window (does nothing for a child).
void SyncNative(HWND window);
// True when the window exists here and belongs to the calling thread.
bool OwnedByCurrentThread(HWND window);
// Asks for WM_PAINT of the whole window (or a part, client coordinates).
void Invalidate(HWND window, const RECT* area, bool erase);
// Re-composes and presents a part of a top-level window (its own coordinates): at the end of
// the loop turn when asked on the window's thread (core/deferred_presents.h), else at once.
void PresentArea(HWND top_level, const RECT& area);
void PresentNow(HWND top_level, const RECT& area);
// A part the screen lost, from any thread: presented at the end of the window's own loop turn,
// with whatever that turn paints (a window mapped before its first paint is composed once).
void PresentExposed(HWND top_level, const RECT& area);
// The screen area a window and its children cover, to present again after it changed.
void RefreshAfterChange(HWND window, const RECT& old_screen_rect);
// Cleans up what lives outside the model for a window that is going away.
void ForgetTimers(HWND window);
void ForgetHotKeys(HWND window);
void ForgetInputState(HWND window);

// The native id of another program's window; nullopt for this program's windows and for
// handles that name no window (found tells which).
std::optional<std::uint64_t> ForeignIdOf(HWND window, bool* found = nullptr);

// The desktop window's fixed handle.
HWND DesktopHandle();

}  // namespace win::core

namespace win::core {

// Posts an input message that carries the character its key types (see MSG::lPrivate).
bool PostInput(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD character);

}  // namespace win::core
