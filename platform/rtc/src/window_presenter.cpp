#include "window_presenter.h"

#include <cairo.h>
#include <windows.h>

#include "win/surface.h"

namespace rtc {

bool WindowPresenter::Present(view_t view, const VideoFrame& frame, int render_mode,
                              bool mirrored) {
  HWND window = static_cast<HWND>(view);
  {
    win::SurfaceAccess access(window);
    cairo_surface_t* surface = access.surface();
    if (surface == nullptr) return false;
    cairo_surface_flush(surface);
    PixelTarget target;
    target.pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    target.width = cairo_image_surface_get_width(surface);
    target.height = cairo_image_surface_get_height(surface);
    target.stride = cairo_image_surface_get_stride(surface) / 4;
    if (target.pixels == nullptr) return false;
    DrawFrame(frame, render_mode, mirrored, target);
    cairo_surface_mark_dirty(surface);
    access.MarkAllDirty();
  }
  // Outside the access: presenting takes the surface itself.
  return win::PresentWindow(window);
}

}  // namespace rtc
