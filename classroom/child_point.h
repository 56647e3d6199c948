// Mouse points that a child window hands on to its parent.
#pragma once

#include <windows.h>

// The point of a mouse message's lParam (signed, in child's client coordinates) moved into the
// client coordinates of child's parent, packed the same way.
LPARAM ToParentClientPoint(HWND child, LPARAM lParam);
