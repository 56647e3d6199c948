// A V4L2 capture device as a video source, asked for the given size (the device may choose
// another; frames then have the size it delivers).
#pragma once

#include <memory>
#include <string>

#include "video_source.h"

namespace rtc {

// Null, with the reason in error, when the device cannot be opened or streamed.
std::unique_ptr<VideoSource> OpenV4l2Camera(const std::string& node, int width, int height,
                                            std::string& error);

}  // namespace rtc
