// Solid fills of a window's client area, drawn at once rather than at the next paint.
#pragma once

#include <windows.h>

void FillClientArea(HWND window, COLORREF colour);
