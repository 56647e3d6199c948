// The part of the screen a running capture shows. The engine moves it while the video thread
// captures, which reads it before each frame: a moved or resized region is shown from the
// next frame on, without opening the capture again.
#pragma once

#include <mutex>
#include <optional>

#include "rtc/rtc_engine.h"

namespace rtc {

class ScreenRegion {
 public:
  // region null: the whole screen.
  explicit ScreenRegion(const Rect* region = nullptr) { Set(region); }
  void Set(const Rect* region);
  // Empty for the whole screen, whose size the capture knows.
  std::optional<Rect> Get() const;

 private:
  mutable std::mutex mutex_;
  std::optional<Rect> region_;
};

}  // namespace rtc
