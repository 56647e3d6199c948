#include "time_code.h"

#include <time.h>

#include <algorithm>

namespace rtc {
namespace {

constexpr uint32_t kOne = 0xFFFFFFFFu;
constexpr uint32_t kZero = 0xFF000000u;
// Lighter than this is a 1, darker than the other a 0; a centre in between is not read, since
// a misread bit would be a wrong time rather than a missing one.
constexpr int kLightLuma = 160;
constexpr int kDarkLuma = 96;

int BandHeight(int frame_height) { return std::max(1, frame_height / kTimeCodeBandShare); }

int Luma(uint32_t pixel) {
  const int r = static_cast<int>((pixel >> 16) & 0xFFu);
  const int g = static_cast<int>((pixel >> 8) & 0xFFu);
  const int b = static_cast<int>(pixel & 0xFFu);
  return (299 * r + 587 * g + 114 * b) / 1000;
}

}  // namespace

uint32_t TimeCodeNow() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ms =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms) & kTimeCodeMask;
}

void DrawTimeCode(uint32_t code, VideoFrame& frame) {
  const int band = std::min(frame.height, BandHeight(frame.height));
  for (int x = 0; x < frame.width; ++x) {
    const int bit = kTimeCodeBits - 1 - x * kTimeCodeBits / frame.width;
    const uint32_t colour = (code >> bit) & 1u ? kOne : kZero;
    for (int y = 0; y < band; ++y) {
      frame.pixels[static_cast<std::size_t>(y) * frame.width + x] = colour;
    }
  }
}

std::optional<uint32_t> ReadTimeCode(const PixelReader& pixel, int width, int height) {
  if (width < kTimeCodeBits || height < kTimeCodeBandShare) return std::nullopt;
  const int y = BandHeight(height) / 2;
  uint32_t code = 0;
  for (int block = 0; block < kTimeCodeBits; ++block) {
    const int luma = Luma(pixel((2 * block + 1) * width / (2 * kTimeCodeBits), y));
    if (luma > kDarkLuma && luma < kLightLuma) return std::nullopt;
    code = (code << 1) | (luma >= kLightLuma ? 1u : 0u);
  }
  return code;
}

int64_t TimeCodeAge(uint32_t code, uint32_t now) { return (now - code) & kTimeCodeMask; }

}  // namespace rtc
