// The library's own timer ids. They run on the program's windows through a callback, so they
// never reach a window's handler, but one id names one timer per window: the program's ids
// (1124 and 2024 to 2028) stay clear of these.
#pragma once

#include <windows.h>

namespace ui {

constexpr UINT_PTR kToolTipTimer = 4101;  // the hover delay before a tooltip shows
constexpr UINT kToolTipDelayMs = 500;
constexpr UINT_PTR kCaretTimer = 4102;  // an edit field's caret blink
constexpr UINT kCaretBlinkMs = 530;

}  // namespace ui
