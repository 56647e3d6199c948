// The screen as a video source: a region of it (whole screen when null) at rate frames per
// second. Under X11 the X server's picture of it, with every program's windows and the
// pointer; headless (or when the X server's picture cannot be had) composed from the window
// system's own windows.
#pragma once

#include <memory>
#include <string>

#include "rtc/rtc_engine.h"
#include "video_source.h"

namespace rtc {

// note: why the X server's picture could not be had, when the own windows are shared instead.
std::unique_ptr<VideoSource> OpenScreenSource(const Rect* region, int rate, std::string& note);

}  // namespace rtc
