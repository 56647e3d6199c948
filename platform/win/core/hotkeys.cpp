#include "core/hotkeys.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "core/backend.h"
#include "core/dispatch.h"

namespace win::core {

namespace {

constexpr UINT kModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

struct Registry {
  std::mutex mutex;
  std::vector<HotKey> keys;
};

Registry& TheRegistry() {
  static auto* registry = new Registry();
  return *registry;
}

}  // namespace

std::optional<HotKey> FindHotKey(UINT modifiers, UINT virtual_key) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (const HotKey& key : registry.keys) {
    if (key.modifiers == (modifiers & kModifierMask) && key.virtual_key == virtual_key) return key;
  }
  return std::nullopt;
}

void ForgetHotKeys(HWND window) {
  std::vector<HotKey> released;
  {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto moved =
        std::stable_partition(registry.keys.begin(), registry.keys.end(),
                              [window](const HotKey& key) { return key.window != window; });
    released.assign(moved, registry.keys.end());
    registry.keys.erase(moved, registry.keys.end());
  }
  for (const HotKey& key : released) TheBackend().UngrabKey(key.modifiers, key.virtual_key);
}

}  // namespace win::core

BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtual_key) {
  using win::core::HotKey;
  if (virtual_key == 0 || virtual_key > 0xFE) return FALSE;
  // Thread hotkeys (no window) are not offered: every hotkey goes to a window.
  if (window == nullptr || !win::core::OwnedByCurrentThread(window)) return FALSE;
  const UINT combination = modifiers & win::core::kModifierMask;
  auto& registry = win::core::TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (const HotKey& key : registry.keys) {
    if (key.window == window && key.id == id) return FALSE;
    if (key.modifiers == combination && key.virtual_key == virtual_key) return FALSE;
  }
  // Another program may hold the combination already.
  if (!win::core::TheBackend().GrabKey(combination, virtual_key)) return FALSE;
  registry.keys.push_back(
      HotKey{window, id, combination, virtual_key, (modifiers & MOD_NOREPEAT) != 0});
  return TRUE;
}

BOOL UnregisterHotKey(HWND window, int id) {
  using win::core::HotKey;
  std::optional<HotKey> removed;
  {
    auto& registry = win::core::TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = std::find_if(registry.keys.begin(), registry.keys.end(),
                           [&](const HotKey& key) { return key.window == window && key.id == id; });
    if (it == registry.keys.end()) return FALSE;
    removed = *it;
    registry.keys.erase(it);
  }
  win::core::TheBackend().UngrabKey(removed->modifiers, removed->virtual_key);
  return TRUE;
}
