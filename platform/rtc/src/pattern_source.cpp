#include "test_pattern.h"
#include "time_code.h"
#include "video_source.h"

namespace rtc {

bool PatternSource::Capture(int64_t frame_number, VideoFrame& frame) {
  if (frame.width != width_ || frame.height != height_) frame.Resize(width_, height_);
  DrawTestPattern(uid_, frame_number, frame);
  if (time_code_) DrawTimeCode(TimeCodeNow(), frame);
  return true;
}

}  // namespace rtc
