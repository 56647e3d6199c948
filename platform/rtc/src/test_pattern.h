// The picture of a participant without a real camera: a colour of its own, a bar that moves
// a step with every frame, and the participant's uid in large digits in the middle.
#pragma once

#include "rtc/rtc_base.h"
#include "video_frame.h"

namespace rtc {

// The colour of the moving bar.
constexpr uint32_t kPatternBarColour = 0xFFE0E0E0u;
// The background colour the pattern of uid uses (0xAARRGGBB).
uint32_t PatternColour(uid_t uid);
void DrawTestPattern(uid_t uid, int64_t frame_number, VideoFrame& frame);

}  // namespace rtc
