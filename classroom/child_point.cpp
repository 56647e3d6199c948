#include "classroom/child_point.h"

LPARAM ToParentClientPoint(HWND child, LPARAM lParam) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  // Through the screen, so that the parent's own frame and scroll state need no knowing.
  ClientToScreen(child, &point);
  ScreenToClient(GetParent(child), &point);
  return MAKELPARAM(point.x, point.y);
}
