// Something that gives video frames: a camera, the test pattern or the screen.
#pragma once

#include <cstdint>
#include <string>

#include "rtc/rtc_base.h"
#include "video_frame.h"

namespace rtc {

class VideoSource {
 public:
  virtual ~VideoSource() = default;
  // The next frame into frame (which keeps its buffer between calls); false when there is
  // none this time. Called on the video thread only.
  virtual bool Capture(int64_t frame_number, VideoFrame& frame) = 0;
  // Cameras report onCameraReady with their first frame; the screen does not.
  virtual bool IsCamera() const { return true; }
};

class PatternSource final : public VideoSource {
 public:
  // time_code: the frames carry their capture time (time_code.h), for measuring latency.
  PatternSource(uid_t uid, int width, int height, bool time_code = false)
      : uid_(uid), width_(width), height_(height), time_code_(time_code) {}
  bool Capture(int64_t frame_number, VideoFrame& frame) override;
  void Resize(int width, int height) {
    width_ = width;
    height_ = height;
  }

 private:
  uid_t uid_;
  int width_;
  int height_;
  bool time_code_;
};

}  // namespace rtc
