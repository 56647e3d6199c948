#include "core/model.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <functional>

namespace win::core {

Model& TheModel() {
  // Never destroyed: threads may still post while the process exits.
  static auto* model = new Model();
  return *model;
}

std::wstring LowerCase(const std::wstring& text) {
  std::wstring lower = text;
  for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return lower;
}

HWND Model::NewHandle() {
  // Starts well above the special values (HWND_BOTTOM is 1) and never wraps within a run.
  static std::atomic<std::uintptr_t> next{0x10000};
  return reinterpret_cast<HWND>(next.fetch_add(2));
}

POINT Model::CachedCursor() const {
  std::uint64_t packed = cursor_.load(std::memory_order_relaxed);
  return POINT{static_cast<LONG>(static_cast<std::uint32_t>(packed >> 32)),
               static_cast<LONG>(static_cast<std::uint32_t>(packed))};
}

void Model::SetCachedCursor(POINT point) {
  cursor_.store((static_cast<std::uint64_t>(static_cast<std::uint32_t>(point.x)) << 32) |
                    static_cast<std::uint32_t>(point.y),
                std::memory_order_relaxed);
}

Window* Model::Find(HWND window) const {
  auto it = windows.find(window);
  return it == windows.end() ? nullptr : it->second.get();
}

Window* Model::FindLocal(HWND window) const {
  Window* found = Find(window);
  return found != nullptr && !found->foreign ? found : nullptr;
}

POINT Model::ScreenOrigin(const Window& window) const {
  POINT origin{window.rect.left, window.rect.top};
  for (const Window* at = &window; at->is_child();) {
    at = Find(at->parent);
    if (at == nullptr) break;
    origin.x += at->rect.left;
    origin.y += at->rect.top;
  }
  return origin;
}

RECT Model::ScreenRect(const Window& window) const {
  POINT origin = ScreenOrigin(window);
  return RECT{origin.x, origin.y, origin.x + window.width(), origin.y + window.height()};
}

bool Model::VisibleChain(const Window& window) const {
  for (const Window* at = &window; at != nullptr;
       at = at->is_child() ? Find(at->parent) : nullptr) {
    if (!at->visible_bit() || at->minimized) return false;
  }
  return true;
}

bool Model::EnabledChain(const Window& window) const {
  for (const Window* at = &window; at != nullptr;
       at = at->is_child() ? Find(at->parent) : nullptr) {
    if ((at->style & WS_DISABLED) != 0) return false;
  }
  return true;
}

Window& Model::Root(Window& window) const {
  Window* at = &window;
  while (at->is_child()) {
    Window* parent = Find(at->parent);
    if (parent == nullptr) break;
    at = parent;
  }
  return *at;
}

bool Model::IsDescendant(HWND ancestor, HWND window) const {
  const Window* at = Find(window);
  while (at != nullptr && at->is_child()) {
    if (at->parent == ancestor) return true;
    at = Find(at->parent);
  }
  return false;
}

NativeWindowState Model::NativeState(const Window& window) const {
  NativeWindowState state;
  state.class_name = window.class_name;
  state.title = window.title;
  state.rect = window.rect;
  state.visible = window.visible_bit();
  state.minimized = window.minimized;
  state.topmost = window.topmost();
  state.has_region = window.region.has_value();
  if (window.region) state.region = *window.region;
  state.owner = window.owner;
  state.icon = window.big_icon != nullptr ? window.big_icon : window.small_icon;
  return state;
}

std::vector<HWND> Model::OwnedBy(HWND owner) const {
  std::vector<HWND> owned;
  for (HWND handle : top_levels) {
    const Window* window = Find(handle);
    if (window != nullptr && window->owner == owner) owned.push_back(handle);
  }
  return owned;
}

std::vector<HWND>* Model::SiblingList(const Window& window) {
  if (!window.is_child()) return &top_levels;
  Window* parent = Find(window.parent);
  return parent == nullptr ? nullptr : &parent->children;
}

void Model::NormalizeZOrder() {
  // Emit each owner's owned windows (recursively, in their current order) just above it.
  std::vector<HWND> ordered;
  ordered.reserve(top_levels.size());
  std::function<void(HWND)> emit = [&](HWND handle) {
    for (HWND owned : OwnedBy(handle)) emit(owned);
    ordered.push_back(handle);
  };
  for (HWND handle : top_levels) {
    const Window* window = Find(handle);
    bool has_owner =
        window != nullptr && window->owner != nullptr && Find(window->owner) != nullptr;
    if (!has_owner) emit(handle);
  }
  std::stable_partition(ordered.begin(), ordered.end(), [&](HWND handle) {
    const Window* window = Find(handle);
    return window != nullptr && window->topmost();
  });
  top_levels = std::move(ordered);
}

template <typename Place>
void Model::Restack(HWND handle, Place place) {
  Window* window = Find(handle);
  if (window == nullptr) return;
  std::vector<HWND>* list = SiblingList(*window);
  if (list == nullptr) return;
  list->erase(std::remove(list->begin(), list->end(), handle), list->end());
  place(*list);
  if (list == &top_levels) NormalizeZOrder();
}

void Model::Raise(HWND handle) {
  Restack(handle, [handle](std::vector<HWND>& list) { list.insert(list.begin(), handle); });
}

void Model::Lower(HWND handle) {
  Restack(handle, [handle](std::vector<HWND>& list) { list.push_back(handle); });
}

void Model::PlaceBelow(HWND handle, HWND above) {
  if (handle == above) return;
  Restack(handle, [handle, above](std::vector<HWND>& list) {
    auto at = std::find(list.begin(), list.end(), above);
    list.insert(at == list.end() ? list.end() : at + 1, handle);
  });
}

void Model::SetTopmost(HWND handle, bool topmost) {
  Window* window = Find(handle);
  if (window == nullptr || window->is_child()) return;
  if (topmost) {
    window->ex_style |= WS_EX_TOPMOST;
  } else {
    window->ex_style &= ~WS_EX_TOPMOST;
  }
  for (HWND owned : OwnedBy(handle)) SetTopmost(owned, topmost);
}

}  // namespace win::core
