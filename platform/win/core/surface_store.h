// A window's drawing surface: a Cairo image the size of its client area, with its own lock
// so that engine threads can draw while the user-interface thread resizes.
#pragma once

#include <windows.h>

#include <mutex>
#include <optional>

#include "handles/cairo.h"

namespace win {

// A window may be far larger than any screen; its picture, and any composed picture, is kept
// only up to this many pixels a side (enough for the largest displays), so that a huge
// window cannot claim gigabytes. What lies beyond is never drawn.
constexpr int kMaxPictureSide = 8192;
constexpr int PictureSide(int side) {
  return side < 0 ? 0 : side > kMaxPictureSide ? kMaxPictureSide : side;
}

class Surface {
 public:
  Surface(int width, int height);

  std::mutex& mutex() { return mutex_; }
  // The rest require mutex(). The sizes are the picture's (see kMaxPictureSide).
  cairo_surface_t* image() const { return image_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Keeps the top-left part that still fits; the rest starts transparent black.
  void Resize(int width, int height);
  void MarkDirty(const RECT& area);
  std::optional<RECT> TakeDirty();

 private:
  std::mutex mutex_;
  handles::CairoSurfacePtr image_;
  int width_;
  int height_;
  std::optional<RECT> dirty_;
};

}  // namespace win
