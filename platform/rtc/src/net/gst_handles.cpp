#include "net/gst_handles.h"

#include <mutex>

namespace rtc {

void EnsureGstStarted() {
  static std::once_flag started;
  std::call_once(started, [] { gst_init(nullptr, nullptr); });
}

}  // namespace rtc
