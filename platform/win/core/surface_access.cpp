// The platform's door to window surfaces: drawing access and presenting.
#include <windows.h>

#include <mutex>

#include "core/compose.h"
#include "core/deferred_presents.h"
#include "core/dispatch.h"
#include "core/model.h"
#include "core/rect_math.h"
#include "core/surface_store.h"
#include "win/surface.h"

namespace win {

namespace {

std::shared_ptr<Surface> SurfaceOf(HWND window) {
  core::Model& model = core::TheModel();
  std::shared_lock lock(model.mutex);
  core::Window* found = model.FindLocal(window);
  return found == nullptr ? nullptr : found->surface;
}

}  // namespace

SurfaceAccess::SurfaceAccess(HWND window) : surface_(SurfaceOf(window)) {
  if (surface_) surface_->mutex().lock();
}

SurfaceAccess::~SurfaceAccess() {
  if (surface_) surface_->mutex().unlock();
}

cairo_surface_t* SurfaceAccess::surface() const { return surface_ ? surface_->image() : nullptr; }
int SurfaceAccess::width() const { return surface_ ? surface_->width() : 0; }
int SurfaceAccess::height() const { return surface_ ? surface_->height() : 0; }

void SurfaceAccess::MarkDirty(const RECT& area) {
  if (surface_) surface_->MarkDirty(area);
}

void SurfaceAccess::MarkAllDirty() {
  if (surface_) surface_->MarkDirty(RECT{0, 0, surface_->width(), surface_->height()});
}

bool PresentWindow(HWND window) {
  std::shared_ptr<Surface> surface = SurfaceOf(window);
  if (!surface) return false;
  std::optional<RECT> dirty;
  {
    std::lock_guard<std::mutex> lock(surface->mutex());
    dirty = surface->TakeDirty();
  }
  if (!dirty) return true;
  HWND root = nullptr;
  RECT area{};
  {
    core::Model& model = core::TheModel();
    std::shared_lock lock(model.mutex);
    core::Window* found = model.FindLocal(window);
    if (found == nullptr) return false;
    if (!model.VisibleChain(*found)) return true;
    core::Window& top = model.Root(*found);
    root = top.handle;
    POINT origin = model.ScreenOrigin(*found);
    area = core::Offset(*dirty, origin.x - top.rect.left, origin.y - top.rect.top);
  }
  core::PresentArea(root, area);
  return true;
}

void FinishPresents() { core::PresentDeferred(); }

}  // namespace win
