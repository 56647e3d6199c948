// The screen as a video source: a region of it (whole screen when null) at rate frames per
// second. The window system offers its screen contents only as the headless backend's
// virtual screen, so that is what is captured; elsewhere no frames come.
#pragma once

#include <memory>

#include "rtc/rtc_engine.h"
#include "video_source.h"

namespace rtc {

std::unique_ptr<VideoSource> OpenScreenSource(const Rect* region, int rate);

}  // namespace rtc
