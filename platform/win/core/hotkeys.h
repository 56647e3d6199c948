// The registered system-wide hotkeys of this process.
#pragma once

#include <windows.h>

#include <optional>

namespace win::core {

struct HotKey {
  HWND window;
  int id;
  UINT modifiers;  // MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN
  UINT virtual_key;
  bool no_repeat;
};

std::optional<HotKey> FindHotKey(UINT modifiers, UINT virtual_key);

}  // namespace win::core
