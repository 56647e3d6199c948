// Frames drawn into canvas windows through the window system's surfaces.
#pragma once

#include "frame_presenter.h"

namespace rtc {

class WindowPresenter final : public FramePresenter {
 public:
  // view is the canvas window's HWND; the frame fills its whole client area.
  bool Present(view_t view, const VideoFrame& frame, int render_mode, bool mirrored) override;
};

}  // namespace rtc
