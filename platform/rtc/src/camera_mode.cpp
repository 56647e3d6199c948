#include "camera_mode.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace rtc {
namespace {

// Raw pictures, and the one compressed kind cameras send that a decoder of the good plug-ins
// (jpegdec) is there for.
bool Decodable(const CameraMode& mode) {
  return mode.media == "video/x-raw" || mode.media == "image/jpeg";
}

// Smaller is better, compared in order.
std::tuple<int, int, double, int> Cost(const CameraMode& mode, int width, int height, int rate) {
  int size = std::abs(mode.width - width) + std::abs(mode.height - height);
  double fps = mode.rate_den > 0 ? static_cast<double>(mode.rate_num) / mode.rate_den : 0;
  bool reaches = fps >= rate;
  // Among rates that reach the wanted one the slowest, below it the fastest.
  double rate_cost = reaches ? fps : -fps;
  return {size, reaches ? 0 : 1, rate_cost, mode.media == "video/x-raw" ? 0 : 1};
}

}  // namespace

std::optional<CameraMode> ChooseCameraMode(const std::vector<CameraMode>& offered, int width,
                                           int height, int rate) {
  std::optional<CameraMode> best;
  for (const CameraMode& mode : offered) {
    if (!Decodable(mode) || mode.width <= 0 || mode.height <= 0) continue;
    if (!best || Cost(mode, width, height, rate) < Cost(*best, width, height, rate)) best = mode;
  }
  return best;
}

std::string CapsOfMode(const CameraMode& mode) {
  std::string caps = mode.media;
  if (!mode.format.empty()) caps += ",format=" + mode.format;
  caps += ",width=" + std::to_string(mode.width) + ",height=" + std::to_string(mode.height);
  if (mode.rate_num > 0) {
    caps += ",framerate=" + std::to_string(mode.rate_num) + "/" + std::to_string(mode.rate_den);
  }
  return caps;
}

}  // namespace rtc
