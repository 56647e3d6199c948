// Cursors are drawn by the program itself here, so these give null handles.
#include <windows.h>

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR) { return nullptr; }
HCURSOR SetCursor(HCURSOR) { return nullptr; }
HINSTANCE GetModuleHandleW(LPCWSTR) { return nullptr; }
