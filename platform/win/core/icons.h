// What an HICON holds: the decoded pictures of one of the program's icon resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace win::core {

struct IconImage {
  int width;
  int height;
  std::vector<std::uint32_t> argb;  // row by row, alpha not premultiplied
};

struct Icon {
  std::vector<IconImage> images;  // in the resource's order
};

// The icon behind a handle LoadIconW gave; null for any other value, so a handle that came
// with a message is never trusted blindly.
const Icon* IconOf(HICON handle);

}  // namespace win::core
