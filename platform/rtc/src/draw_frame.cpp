#include <algorithm>
#include <vector>

#include "rtc/rtc_base.h"
#include "video_frame.h"

namespace rtc {

void DrawFrame(const VideoFrame& frame, int render_mode, bool mirrored, const PixelTarget& target) {
  for (int y = 0; y < target.height; ++y) {
    std::fill_n(target.pixels + static_cast<std::ptrdiff_t>(y) * target.stride, target.width,
                0xFF000000u);
  }
  if (frame.width <= 0 || frame.height <= 0 || target.width <= 0 || target.height <= 0) return;

  // The frame's size on the target, kept in proportion, in integers: fit takes the smaller
  // scale, hidden the larger.
  int64_t by_width = static_cast<int64_t>(target.width) * frame.height;
  int64_t by_height = static_cast<int64_t>(target.height) * frame.width;
  bool width_limits =
      (render_mode == RENDER_MODE_HIDDEN) ? by_width > by_height : by_width <= by_height;
  int shown_w = width_limits ? target.width : static_cast<int>(by_height / frame.height);
  int shown_h = width_limits ? static_cast<int>(by_width / frame.width) : target.height;
  shown_w = std::max(shown_w, 1);
  shown_h = std::max(shown_h, 1);
  int offset_x = (target.width - shown_w) / 2;
  int offset_y = (target.height - shown_h) / 2;

  int x0 = std::max(0, offset_x);
  int x1 = std::min(target.width, offset_x + shown_w);
  int y0 = std::max(0, offset_y);
  int y1 = std::min(target.height, offset_y + shown_h);
  // The source column of each target column, worked out once for all rows.
  std::vector<int> columns(static_cast<std::size_t>(std::max(0, x1 - x0)));
  for (int x = x0; x < x1; ++x) {
    int source_x = static_cast<int>(static_cast<int64_t>(x - offset_x) * frame.width / shown_w);
    columns[x - x0] = mirrored ? frame.width - 1 - source_x : source_x;
  }
  for (int y = y0; y < y1; ++y) {
    int source_y = static_cast<int>(static_cast<int64_t>(y - offset_y) * frame.height / shown_h);
    const uint32_t* source_row =
        frame.pixels.data() + static_cast<std::ptrdiff_t>(source_y) * frame.width;
    uint32_t* row = target.pixels + static_cast<std::ptrdiff_t>(y) * target.stride + x0;
    for (std::size_t i = 0; i < columns.size(); ++i) row[i] = source_row[columns[i]];
  }
}

}  // namespace rtc
