// The program's loop, as far as tests need it: what the thread's queue holds is dispatched
// until the request to quit turns up.
#pragma once

#include <windows.h>

namespace testing_support {

// Takes what the calling thread's queue holds; true when that included the request to quit,
// with its code.
inline bool TakeQuit(int* code) {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      *code = static_cast<int>(msg.wParam);
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return false;
}

}  // namespace testing_support
