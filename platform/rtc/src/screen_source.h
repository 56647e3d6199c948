// The screen as a video source: the region it is told (whole screen when empty), which may
// move or change size while it runs, scaled to width x height with its shape kept, at rate
// frames per second. Under X11 the X server's picture of it, with every program's windows and
// the pointer; headless (or when the X server's picture cannot be had) composed from the
// window system's own windows.
#pragma once

#include <memory>
#include <string>

#include "screen_region.h"
#include "video_source.h"

namespace rtc {

// region: read before each frame, so it must outlive the source.
// note: why the X server's picture could not be had, when the own windows are shared instead.
std::unique_ptr<VideoSource> OpenScreenSource(const ScreenRegion& region, int rate, int width,
                                              int height, std::string& note);

}  // namespace rtc
