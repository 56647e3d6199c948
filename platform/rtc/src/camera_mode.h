// Which of a camera's capture modes to ask for: the one closest to the video profile.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rtc {

struct CameraMode {
  // "video/x-raw" with its format ("YUY2", "NV12", ...), or a compressed type such as
  // "image/jpeg" (format empty).
  std::string media;
  std::string format;
  int width = 0;
  int height = 0;
  int rate_num = 0;  // frames per second as a fraction
  int rate_den = 1;
  bool operator==(const CameraMode& o) const {
    return media == o.media && format == o.format && width == o.width && height == o.height &&
           rate_num == o.rate_num && rate_den == o.rate_den;
  }
};

// Closest in size first (the sum of the width's and the height's differences), then the
// slowest rate that still reaches the wanted one (else the fastest below it), then raw
// pictures before compressed ones, which must be decoded. Modes that cannot be decoded are
// passed over; none when nothing is left.
std::optional<CameraMode> ChooseCameraMode(const std::vector<CameraMode>& offered, int width,
                                           int height, int rate);

// The media library's caps text that asks for exactly this mode.
std::string CapsOfMode(const CameraMode& mode);

}  // namespace rtc
