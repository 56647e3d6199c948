#include "core/dispatch.h"

#include <mutex>

#include "core/compose.h"
#include "core/deferred_presents.h"
#include "core/rect_math.h"
#include "core/thread_queue.h"

namespace win::core {

LRESULT CallProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC procedure = nullptr;
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    if (Window* found = model.FindLocal(window)) procedure = found->procedure;
  }
  return procedure == nullptr ? 0 : procedure(window, message, wparam, lparam);
}

void SyncNative(HWND window) {
  NativeWindowState state;
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    Window* found = model.FindLocal(window);
    if (found == nullptr || found->is_child()) return;
    state = model.NativeState(*found);
  }
  TheBackend().TopLevelChanged(window, state);
}

bool OwnedByCurrentThread(HWND window) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* found = model.FindLocal(window);
  return found != nullptr && found->thread_id == CurrentThreadId();
}

void Invalidate(HWND window, const RECT* area, bool erase) {
  Model& model = TheModel();
  std::shared_ptr<ThreadQueue> queue;
  {
    std::unique_lock lock(model.mutex);
    Window* found = model.FindLocal(window);
    if (found == nullptr || found->destroying) return;
    RECT client{0, 0, found->width(), found->height()};
    RECT part = area == nullptr ? client : Intersect(*area, client);
    if (IsEmpty(part)) return;
    found->update = found->update ? Union(*found->update, part) : part;
    found->erase_pending = found->erase_pending || erase;
    queue = found->queue;
  }
  queue->RequestPaint(window);
}

void PresentArea(HWND top_level, const RECT& area) {
  if (TheBackend().IsHeadless()) return;
  if (OwnedByCurrentThread(top_level)) {
    DeferPresent(top_level, area);
  } else {
    PresentNow(top_level, area);
  }
}

void PresentExposed(HWND top_level, const RECT& area) {
  std::shared_ptr<ThreadQueue> queue;
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    Window* found = model.FindLocal(top_level);
    if (found == nullptr) return;
    queue = found->queue;
  }
  queue->PostTask([top_level, area](bool deliver) {
    if (deliver) DeferPresent(top_level, area);
  });
}

void PresentNow(HWND top_level, const RECT& area) {
  RECT bounds{};
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    Window* found = model.FindLocal(top_level);
    if (found == nullptr || !found->visible_bit()) return;
    bounds = Intersect(area, RECT{0, 0, found->width(), found->height()});
  }
  if (IsEmpty(bounds)) return;
  handles::CairoSurfacePtr composed = ComposeWindow(top_level, bounds);
  if (composed) TheBackend().Present(top_level, bounds, composed.get());
}

void RefreshAfterChange(HWND window, const RECT& old_screen_rect) {
  HWND root = nullptr;
  RECT area{};
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    Window* found = model.FindLocal(window);
    if (found == nullptr) return;
    Window& top = model.Root(*found);
    root = top.handle;
    RECT now = found->destroying ? RECT{} : model.ScreenRect(*found);
    area = Offset(Union(old_screen_rect, now), -top.rect.left, -top.rect.top);
  }
  PresentArea(root, area);
}

std::optional<std::uint64_t> ForeignIdOf(HWND window, bool* found) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* at = model.Find(window);
  if (found != nullptr) *found = at != nullptr && !at->destroying;
  if (at == nullptr || !at->foreign) return std::nullopt;
  return at->foreign->native_id;
}

HWND DesktopHandle() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10)); }

}  // namespace win::core
