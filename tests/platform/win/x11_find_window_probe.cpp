// A second program for the X11 tests: finds the first one's main window by class, posts it a
// message carrying a made-up pointer and restores it, as a second copy of the program does at
// start. Exit code 0 when the window was found.
#include <windows.h>

int main() {
  HWND found = FindWindowW(L"QUORVEL_MAIN", nullptr);
  if (found == nullptr) return 1;
  PostMessageW(found, WM_USER + 77, 1, 0x1234);
  SendMessageW(found, WM_SYSCOMMAND, SC_RESTORE, 0);
  return 0;
}
