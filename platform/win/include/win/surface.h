// The platform side of drawing: each window's own Cairo image surface, for the window
// library and the media engine only (never for the program, which draws through win/gdi.h).
//
// A window's surface is the size of its client area (ARGB32, premultiplied) and follows
// every resize, keeping what fits. What is drawn shows on the screen once presented; a child
// window is shown through its top-level window, so presenting either is enough.
#pragma once

#include <memory>

#include "win/types.h"

typedef struct _cairo_surface cairo_surface_t;

namespace win {

class Surface;

// Holds a window's surface locked for drawing, from any thread, for as long as it lives; the
// window may be resized or destroyed meanwhile without the surface going away under the
// caller. surface() is null when the window does not exist.
class SurfaceAccess {
 public:
  explicit SurfaceAccess(HWND window);
  ~SurfaceAccess();
  SurfaceAccess(const SurfaceAccess&) = delete;
  SurfaceAccess& operator=(const SurfaceAccess&) = delete;

  cairo_surface_t* surface() const;
  int width() const;
  int height() const;
  // Marks a part (client coordinates) as changed, for the next PresentWindow.
  void MarkDirty(const RECT& area);
  void MarkAllDirty();

 private:
  std::shared_ptr<Surface> surface_;
};

// Puts the changed parts of the window's surface on the screen (with X11; headless keeps
// them for screenshots). Any thread; false for a window that does not exist. On the window's
// own thread the picture goes out when its loop turn ends, composed once with whatever else
// the turn painted.
bool PresentWindow(HWND window);
// Puts what the calling thread's windows have painted on the screen now, without waiting for
// the end of the turn.
void FinishPresents();

}  // namespace win
