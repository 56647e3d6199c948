// Puts a frame into a canvas window, fitted by the canvas's render mode.
#pragma once

#include "rtc/rtc_base.h"
#include "video_frame.h"

namespace rtc {

class FramePresenter {
 public:
  virtual ~FramePresenter() = default;
  // False when the window does not exist (any more).
  virtual bool Present(view_t view, const VideoFrame& frame, int render_mode, bool mirrored) = 0;
};

}  // namespace rtc
