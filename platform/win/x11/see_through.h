// Windows with see-through parts (the shades and rounded boxes owned by another window). With
// a compositing manager they get a visual with an alpha channel and blend; without one each
// is cut to the pixels it shows, found from the alpha of what it presented.
#pragma once

#include <windows.h>

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace win::core {

// Whether a compositing manager runs on the display's default screen.
bool CompositorRuns(Display* display);

// A 32-bit TrueColor visual and a colormap for it; visual null when the server has none.
struct AlphaVisual {
  Visual* visual = nullptr;
  Colormap colormap = 0;
};
AlphaVisual FindAlphaVisual(Display* display);

// Which pixels of a window show, kept from the pictures presented into it.
class OpacityMask {
 public:
  // pixels: the area's premultiplied ARGB picture, stride_pixels to a row. A window of a new
  // size starts wholly shown. True when the mask changed.
  bool Update(int window_width, int window_height, const RECT& area, const std::uint32_t* pixels,
              int stride_pixels);
  // The shown pixels as rectangles in window coordinates: runs of a row, rows with the same
  // runs merged.
  std::vector<XRectangle> ShownRectangles() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> shown_;
};

}  // namespace win::core
