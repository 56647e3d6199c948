// Pictures from a source of the media library (a camera, the X server's screen) in the mode
// closest to the asked-for size and rate, decoded (MJPEG) and converted (YUYV, NV12, ...) as
// needed. A camera's frames have the size of the mode chosen; the screen's are a part of its
// picture scaled to the asked-for size.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "rtc/rtc_engine.h"
#include "video_source.h"

namespace rtc {

// The capture part of a V4L2 device.
std::string V4l2Capture(const std::string& node);

// Called once, on the video thread, when a camera that was opened stops giving pictures.
using CameraFailed = std::function<void(const std::string& why)>;

// A camera at the video thread's rate. capture: the media library's description of what
// gives the pictures. Null, with the reason in error, when it cannot be opened or offers
// nothing that can be decoded.
std::unique_ptr<VideoSource> OpenCamera(const std::string& capture, int width, int height,
                                        CameraFailed failed, std::string& error);

// The part of the captured picture to show, in the picture's coordinates; asked for before
// each frame on the video thread.
using PicturePart = std::function<Rect()>;

// The part of a picture (the screen's) scaled to width x height, keeping its shape with black
// borders where the shapes differ; a moved or resized part is shown from the next frame on.
// Null as for a camera.
std::unique_ptr<VideoSource> OpenPartCapture(const std::string& capture, int width, int height,
                                             int rate, PicturePart part, std::string& error);

}  // namespace rtc
