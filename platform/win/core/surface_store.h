// A window's drawing surface: a Cairo image the size of its client area, with its own lock
// so that engine threads can draw while the user-interface thread resizes.
#pragma once

#include <windows.h>

#include <mutex>
#include <optional>

#include "core/cairo_handles.h"

namespace win {

class Surface {
 public:
  Surface(int width, int height);

  std::mutex& mutex() { return mutex_; }
  // The rest require mutex().
  cairo_surface_t* image() const { return image_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Keeps the top-left part that still fits; the rest starts transparent black.
  void Resize(int width, int height);
  void MarkDirty(const RECT& area);
  std::optional<RECT> TakeDirty();

 private:
  std::mutex mutex_;
  core::CairoSurfacePtr image_;
  int width_;
  int height_;
  std::optional<RECT> dirty_;
};

}  // namespace win
