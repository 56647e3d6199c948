#include "screen_region.h"

namespace rtc {

void ScreenRegion::Set(const Rect* region) {
  std::lock_guard<std::mutex> lock(mutex_);
  region_ = region != nullptr ? std::optional<Rect>(*region) : std::nullopt;
}

std::optional<Rect> ScreenRegion::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return region_;
}

}  // namespace rtc
