#include "classroom/window_fill.h"

void FillClientArea(HWND window, COLORREF colour) {
  RECT client{};
  GetClientRect(window, &client);
  const HDC dc = GetDC(window);
  const HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  ReleaseDC(window, dc);
}
