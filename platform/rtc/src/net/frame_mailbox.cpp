#include "net/frame_mailbox.h"

#include <cstring>

namespace rtc {

void FrameMailbox::Put(int width, int height, const uint8_t* data, int stride) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (newest_.width != width || newest_.height != height) newest_.Resize(width, height);
  for (int y = 0; y < height; ++y) {
    uint32_t* row = newest_.pixels.data() + static_cast<std::size_t>(y) * width;
    std::memcpy(row, data + static_cast<std::size_t>(y) * stride, sizeof(uint32_t) * width);
    // The decoder leaves the fourth byte undefined; frames are opaque.
    for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
  }
  fresh_ = true;
  ++received_;
}

bool FrameMailbox::Take(VideoFrame& frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!fresh_) return false;
  // The caller's old buffer becomes the next one to fill; Put sizes it.
  std::swap(frame, newest_);
  fresh_ = false;
  return true;
}

int64_t FrameMailbox::frames_received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

}  // namespace rtc
