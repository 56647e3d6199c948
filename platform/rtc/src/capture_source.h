// Pictures from a source of the media library (a camera, the X server's screen) in the mode
// closest to the asked-for size and rate, decoded (MJPEG) and converted (YUYV, NV12, ...) as
// needed; frames have the size of the mode chosen.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "video_source.h"

namespace rtc {

// The capture part of a V4L2 device.
std::string V4l2Capture(const std::string& node);

enum class CaptureKind { kCamera, kScreen };  // cameras report onCameraReady, the screen not

// Called once, on the video thread, when a camera that was opened stops giving pictures.
using CameraFailed = std::function<void(const std::string& why)>;

// capture: the media library's description of what gives the camera's pictures. Null, with
// the reason in error, when it cannot be opened or offers nothing that can be decoded.
std::unique_ptr<VideoSource> OpenCapture(const std::string& capture, int width, int height,
                                         int rate, CaptureKind kind, CameraFailed failed,
                                         std::string& error);
// A camera at the video thread's rate.
std::unique_ptr<VideoSource> OpenCamera(const std::string& capture, int width, int height,
                                        CameraFailed failed, std::string& error);

}  // namespace rtc
