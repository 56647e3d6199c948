// Decoding of the skin's PNG and JPEG images into Cairo surfaces, within the size a window
// surface can take.
#pragma once

#include <string>

#include "render.h"

namespace ui {

// The largest side and the most pixels a decoded image may have: a window surface is at most
// 8192 pixels a side, and 16 M pixels are 64 MiB of surface.
constexpr long kMaxImageSide = 8192;
constexpr long long kMaxImagePixels = 16LL * 1024 * 1024;

struct DecodedImage {
  handles::CairoSurfacePtr surface;
  std::wstring error;  // why there is no surface: not an image, broken, or too large
};

DecodedImage DecodeImage(const std::string& bytes);

}  // namespace ui
