#include "core/surface_store.h"

#include "core/rect_math.h"

namespace win {

namespace {

handles::CairoSurfacePtr NewImage(int width, int height) {
  return handles::CairoSurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

}  // namespace

Surface::Surface(int width, int height) : width_(PictureSide(width)), height_(PictureSide(height)) {
  image_ = NewImage(width_, height_);
}

void Surface::Resize(int width, int height) {
  width = PictureSide(width);
  height = PictureSide(height);
  if (width == width_ && height == height_) return;
  handles::CairoSurfacePtr resized = NewImage(width, height);
  handles::CairoPtr cairo(cairo_create(resized.get()));
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
