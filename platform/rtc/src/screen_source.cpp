#include "screen_source.h"

#include <cairo.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

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

// The whole screen of the window system, in its coordinates.
Rect WholeScreen() {
  Rect whole;
  whole.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  whole.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  whole.right = whole.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  whole.bottom = whole.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  return whole;
}

// The screen as the window system's windows show it: each visible window's surface over
// black, back to front, children over their parent and clipped to it, then fitted into the
// frame. Window regions are not offered by the window system and are left out.
class WindowScreenSource final : public VideoSource {
 public:
  WindowScreenSource(PicturePart region, int rate, int width, int height)
      : region_(std::move(region)),
        ticks_per_frame_(std::max(1, VideoPipeline::kFramesPerSecond / rate)),
        width_(width),
        height_(height) {}

  bool Capture(int64_t frame_number, VideoFrame& frame) override {
    if (frame_number % ticks_per_frame_ != 0) return false;
    Rect shown = region_();
    shown_ = RECT{shown.left, shown.top, shown.right, shown.bottom};
    composed_.Resize(shown.right - shown.left, shown.bottom - shown.top);
    HWND top = FindWindowW(nullptr, nullptr);
    // Bottom of the z-order first.
    for (HWND window = top ? GetWindow(top, GW_HWNDLAST) : nullptr; window != nullptr;
         window = GetWindow(window, GW_HWNDPREV)) {
      if (IsWindowVisible(window)) Compose(window, shown_, composed_);
    }
    if (frame.width != width_ || frame.height != height_) frame.Resize(width_, height_);
    DrawFrame(composed_, RENDER_MODE_FIT, false,
              PixelTarget{frame.pixels.data(), width_, height_, width_});
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
                      static_cast<std::ptrdiff_t>(y - shown_.top) * frame.width - shown_.left;
      for (int x = shown.left; x < std::min<LONG>(shown.right, rect.left + surface_w); ++x) {
        row[x] = Over(source_row[x - rect.left], row[x]);
      }
    }
  }

  PicturePart region_;
  int ticks_per_frame_;
  int width_;
  int height_;
  RECT shown_{};         // the region of the frame being composed
  VideoFrame composed_;  // at the region's size, before it is fitted
};

// The X server's own picture of the whole screen, through shared memory (the display is
// local), every program's windows and the pointer on it; the region is cropped from it.
constexpr const char* kXImageCapture = "ximagesrc remote=false use-damage=false show-pointer=true";

}  // namespace

std::unique_ptr<VideoSource> OpenScreenSource(const ScreenRegion& region, int rate, int width,
                                              int height, std::string& note) {
  // The X server's picture and the window system share their coordinates.
  PicturePart shown = [&region, whole = WholeScreen()] { return region.Get().value_or(whole); };
  if (!win::headless::Active()) {
    std::string error;
    std::unique_ptr<VideoSource> screen =
        OpenPartCapture(kXImageCapture, width, height, rate, shown, error);
    if (screen) return screen;
    // Without the X server's picture the program's own windows are still there to share.
    note = "the X server's picture cannot be had (" + error + "); own windows only";
  }
  return std::make_unique<WindowScreenSource>(std::move(shown), rate, width, height);
}

}  // namespace rtc
