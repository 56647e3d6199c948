#include "screen_source.h"

#include <cairo.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "capture_source.h"
#include "video_pipeline.h"
#include "win/headless.h"
#include "win/surface.h"

namespace rtc {
namespace {

RECT Intersect(const RECT& a, const RECT& b) {
  RECT both{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (both.right < both.left) both.right = both.left;
  if (both.bottom < both.top) both.bottom = both.top;
  return both;
}

// Premultiplied source over an opaque destination.
uint32_t Over(uint32_t source, uint32_t destination) {
  uint32_t alpha = source >> 24;
  if (alpha == 0xFF) return source;
  if (alpha == 0) return destination;
  uint32_t keep = 255 - alpha;
  uint32_t result = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t channel = ((source >> shift) & 0xFF) + ((destination >> shift) & 0xFF) * keep / 255;
    result |= std::min<uint32_t>(channel, 255) << shift;
  }
  return result;
}

// The screen as the window system's windows show it: each visible window's surface over
// black, back to front, children over their parent and clipped to it. Window regions are not
// offered by the window system and are left out.
class WindowScreenSource final : public VideoSource {
 public:
  WindowScreenSource(const Rect& region, int rate)
      : region_{region.left, region.top, region.right, region.bottom},
        ticks_per_frame_(std::max(1, VideoPipeline::kFramesPerSecond / rate)) {}

  bool Capture(int64_t frame_number, VideoFrame& frame) override {
    if (frame_number % ticks_per_frame_ != 0) return false;
    int width = region_.right - region_.left;
    int height = region_.bottom - region_.top;
    frame.Resize(width, height);
    HWND top = FindWindowW(nullptr, nullptr);
    if (top == nullptr) return true;
    // Bottom of the z-order first.
    for (HWND window = GetWindow(top, GW_HWNDLAST); window != nullptr;
         window = GetWindow(window, GW_HWNDPREV)) {
      if (IsWindowVisible(window)) Compose(window, region_, frame);
    }
    return true;
  }
  bool IsCamera() const override { return false; }

 private:
  void Compose(HWND window, const RECT& clip, VideoFrame& frame) const {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    RECT shown = Intersect(rect, clip);
    if (shown.right == shown.left || shown.bottom == shown.top) return;
    Copy(window, rect, shown, frame);
    HWND first = GetWindow(window, GW_CHILD);
    if (first == nullptr) return;
    for (HWND child = GetWindow(first, GW_HWNDLAST); child != nullptr;
         child = GetWindow(child, GW_HWNDPREV)) {
      if (IsWindowVisible(child)) Compose(child, shown, frame);
    }
  }

  // The shown part of the window's surface into the frame (both in screen coordinates).
  void Copy(HWND window, const RECT& rect, const RECT& shown, VideoFrame& frame) const {
    win::SurfaceAccess access(window);
    cairo_surface_t* surface = access.surface();
    if (surface == nullptr) return;
    cairo_surface_flush(surface);
    const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
    if (pixels == nullptr) return;
    int stride = cairo_image_surface_get_stride(surface) / 4;
    int surface_w = cairo_image_surface_get_width(surface);
    int surface_h = cairo_image_surface_get_height(surface);
    for (int y = shown.top; y < shown.bottom; ++y) {
      int source_y = y - rect.top;
      if (source_y >= surface_h) break;
      const uint32_t* source_row = pixels + static_cast<std::ptrdiff_t>(source_y) * stride;
      uint32_t* row = frame.pixels.data() +
                      static_cast<std::ptrdiff_t>(y - region_.top) * frame.width - region_.left;
      for (int x = shown.left; x < std::min<LONG>(shown.right, rect.left + surface_w); ++x) {
        row[x] = Over(source_row[x - rect.left], row[x]);
      }
    }
  }

  RECT region_;
  int ticks_per_frame_;
};

// The X server's own picture of the region, through shared memory (the display is local),
// every program's windows and the pointer on it; its corners are inclusive.
std::string XImageCapture(const Rect& region) {
  return "ximagesrc remote=false use-damage=false show-pointer=true startx=" +
         std::to_string(region.left) + " starty=" + std::to_string(region.top) +
         " endx=" + std::to_string(region.right - 1) + " endy=" + std::to_string(region.bottom - 1);
}

}  // namespace

std::unique_ptr<VideoSource> OpenScreenSource(const Rect* region, int rate, std::string& note) {
  Rect whole;
  whole.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  whole.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  whole.right = whole.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  whole.bottom = whole.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const Rect& shown = region != nullptr ? *region : whole;
  if (!win::headless::Active()) {
    std::string error;
    std::unique_ptr<VideoSource> screen =
        OpenCapture(XImageCapture(shown), shown.right - shown.left, shown.bottom - shown.top, rate,
                    CaptureKind::kScreen, nullptr, error);
    if (screen) return screen;
    // Without the X server's picture the program's own windows are still there to share.
    note = "the X server's picture cannot be had (" + error + "); own windows only";
  }
  return std::make_unique<WindowScreenSource>(shown, rate);
}

}  // namespace rtc
