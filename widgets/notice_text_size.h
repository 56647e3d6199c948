// The size that the tip and the notice give their text: measured on the window's own device
// context with the font their labels draw in (the default GUI font turned into 16-pixel
// "微软雅黑"), on one line, or wrapped at kNoticeWrapWidth when one line would be wider.
#pragma once

#include <windows.h>

#include <string>

constexpr LONG kNoticeWrapWidth = 400;

SIZE MeasureNoticeText(HWND window, const std::wstring& text);
