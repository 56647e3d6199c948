// One picture of a video stream: rows of 0xAARRGGBB pixels, fully opaque.
#pragma once

#include <cstdint>
#include <vector>

namespace rtc {

struct VideoFrame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, row by row

  void Resize(int w, int h) {
    width = w;
    height = h;
    pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0xFF000000u);
  }
};

// Where a frame goes: a part of a 32-bit pixel buffer with its own row length.
struct PixelTarget {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next
};

// Draws frame into target on black: RENDER_MODE_FIT shows the whole frame as large as it
// fits, centred; RENDER_MODE_HIDDEN fills the target, cropping the frame's overhang. Mirrored
// frames are flipped left to right.
void DrawFrame(const VideoFrame& frame, int render_mode, bool mirrored, const PixelTarget& target);

}  // namespace rtc
