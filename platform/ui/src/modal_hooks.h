// What the test driver learns of modal loops: a one-shot observer called as each starts.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

void SetModalStartObserver(std::function<void(HWND)> observer);
void NotifyModalStart(HWND window);

}  // namespace ui
