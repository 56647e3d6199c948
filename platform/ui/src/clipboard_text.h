// Text to and from the window system's clipboard, for the edit fields.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

bool CopyTextToClipboard(HWND owner, const std::wstring& text);
// Empty when the clipboard holds no text or cannot be opened.
std::wstring TextFromClipboard(HWND owner);

}  // namespace ui
