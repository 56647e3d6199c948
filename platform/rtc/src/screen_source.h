// The screen as a video source: a region of it (whole screen when null) at rate frames per
// second, composed from the window system's own windows (other programs' windows, which only
// X11 shows, are not offered by the window system and stay black).
#pragma once

#include <memory>

#include "rtc/rtc_engine.h"
#include "video_source.h"

namespace rtc {

std::unique_ptr<VideoSource> OpenScreenSource(const Rect* region, int rate);

}  // namespace rtc
