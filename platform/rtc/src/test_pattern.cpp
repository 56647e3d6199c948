#include "test_pattern.h"

#include <algorithm>
#include <string>

namespace rtc {
namespace {

// 3 x 5 digits, one row per entry, the top bit the left column.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr uint32_t kInk = 0xFFFFFFFFu;

void FillRect(VideoFrame& frame, int x, int y, int w, int h, uint32_t colour) {
  for (int row = std::max(0, y); row < std::min(frame.height, y + h); ++row) {
    for (int col = std::max(0, x); col < std::min(frame.width, x + w); ++col) {
      frame.pixels[static_cast<std::size_t>(row) * frame.width + col] = colour;
    }
  }
}

}  // namespace

uint32_t PatternColour(uid_t uid) {
  // A dark colour per uid, so that tiles tell participants apart and white digits stay legible.
  uint32_t mixed = uid * 2654435761u;
  uint32_t r = 0x20 + ((mixed >> 8) & 0x5F);
  uint32_t g = 0x20 + ((mixed >> 16) & 0x5F);
  uint32_t b = 0x20 + ((mixed >> 24) & 0x5F);
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

void DrawTestPattern(uid_t uid, int64_t frame_number, VideoFrame& frame) {
  FillRect(frame, 0, 0, frame.width, frame.height, PatternColour(uid));
  int bar_width = std::max(2, frame.width / 40);
  int travel = std::max(1, frame.width - bar_width);
  int bar_x = static_cast<int>((frame_number * std::max(1, frame.width / 60)) % travel);
  FillRect(frame, bar_x, 0, bar_width, frame.height, kPatternBarColour);

  std::string digits = std::to_string(uid);
  int count = static_cast<int>(digits.size());
  // Each digit is 3 cells wide with one cell between digits; the number spans 3/4 of the width
  // at most and 1/3 of the height.
  int cell = std::max(1, std::min(frame.width * 3 / 4 / (count * 4 - 1), frame.height / 3 / 5));
  int left = (frame.width - (count * 4 - 1) * cell) / 2;
  int top = (frame.height - 5 * cell) / 2;
  for (int i = 0; i < count; ++i) {
    const uint8_t* rows = kDigits[digits[i] - '0'];
    for (int row = 0; row < 5; ++row) {
      for (int col = 0; col < 3; ++col) {
        if (rows[row] & (4 >> col)) {
          FillRect(frame, left + (i * 4 + col) * cell, top + row * cell, cell, cell, kInk);
        }
      }
    }
  }
}

}  // namespace rtc
