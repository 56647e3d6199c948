#include "core/surface_store.h"

#include <algorithm>

#include "core/rect_math.h"

namespace win {

namespace {

core::CairoSurfacePtr NewImage(int width, int height) {
  return core::CairoSurfacePtr(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(width, 0), std::max(height, 0)));
}

}  // namespace

Surface::Surface(int width, int height)
    : image_(NewImage(width, height)), width_(std::max(width, 0)), height_(std::max(height, 0)) {}

void Surface::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  core::CairoSurfacePtr resized = NewImage(width, height);
  core::CairoPtr cairo(cairo_create(resized.get()));
  cairo_set_source_surface(cairo.get(), image_.get(), 0, 0);
  cairo_set_operator(cairo.get(), CAIRO_OPERATOR_SOURCE);
  cairo_paint(cairo.get());
  image_ = std::move(resized);
  width_ = width;
  height_ = height;
  MarkDirty(RECT{0, 0, width_, height_});
}

void Surface::MarkDirty(const RECT& area) {
  RECT clipped = core::Intersect(area, RECT{0, 0, width_, height_});
  if (core::IsEmpty(clipped)) return;
  dirty_ = dirty_ ? core::Union(*dirty_, clipped) : clipped;
}

std::optional<RECT> Surface::TakeDirty() {
  std::optional<RECT> dirty = dirty_;
  dirty_.reset();
  return dirty;
}

}  // namespace win
