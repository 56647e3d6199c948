#include "screen_source.h"

#include <cairo.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "video_pipeline.h"
#include "win/headless.h"

namespace rtc {
namespace {

struct SurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

class VirtualScreenSource final : public VideoSource {
 public:
  VirtualScreenSource(const Rect& region, int rate)
      : region_(region), ticks_per_frame_(std::max(1, VideoPipeline::kFramesPerSecond / rate)) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvel-screen-XXXXXX").string();
    int fd = ::mkstemp(pattern.data());
    if (fd >= 0) {
      ::close(fd);
      path_ = pattern;
    }
  }
  ~VirtualScreenSource() override {
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  bool Capture(int64_t frame_number, VideoFrame& frame) override {
    if (path_.empty() || frame_number % ticks_per_frame_ != 0) return false;
    if (!win::headless::SaveScreenPng(path_)) return false;
    std::unique_ptr<cairo_surface_t, SurfaceDestroy> image(
        cairo_image_surface_create_from_png(path_.c_str()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return false;
    int width = region_.right - region_.left;
    int height = region_.bottom - region_.top;
    if (frame.width != width || frame.height != height) frame.Resize(width, height);
    // The image starts at the virtual screen's top-left corner.
    int origin_x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int origin_y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int image_w = cairo_image_surface_get_width(image.get());
    int image_h = cairo_image_surface_get_height(image.get());
    int stride = cairo_image_surface_get_stride(image.get()) / 4;
    const auto* pixels =
        reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image.get()));
    for (int y = 0; y < height; ++y) {
      int source_y = region_.top + y - origin_y;
      for (int x = 0; x < width; ++x) {
        int source_x = region_.left + x - origin_x;
        bool inside = source_x >= 0 && source_x < image_w && source_y >= 0 && source_y < image_h;
        frame.pixels[static_cast<std::size_t>(y) * width + x] =
            inside
                ? (0xFF000000u | pixels[static_cast<std::ptrdiff_t>(source_y) * stride + source_x])
                : 0xFF000000u;
      }
    }
    return true;
  }
  bool IsCamera() const override { return false; }

 private:
  Rect region_;
  int ticks_per_frame_;
  std::string path_;
};

}  // namespace

std::unique_ptr<VideoSource> OpenScreenSource(const Rect* region, int rate) {
  Rect whole;
  whole.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  whole.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  whole.right = whole.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  whole.bottom = whole.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  return std::make_unique<VirtualScreenSource>(region != nullptr ? *region : whole, rate);
}

}  // namespace rtc
