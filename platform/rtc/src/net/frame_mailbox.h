// The newest decoded picture of a remote stream, handed from the decoder's thread to the
// video thread; an older picture not yet taken is simply replaced.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "video_frame.h"
#include "video_source.h"

namespace rtc {

class FrameMailbox {
 public:
  // Rows of 32-bit pixels in memory order B, G, R, x; stride in bytes.
  void Put(int width, int height, const uint8_t* data, int stride);
  // The newest picture into frame; false when none came since the last call.
  bool Take(VideoFrame& frame);
  int64_t frames_received() const;

 private:
  mutable std::mutex mutex_;
  VideoFrame newest_;
  bool fresh_ = false;
  int64_t received_ = 0;
};

// A remote stream as the video thread sees it. Shares the mailbox with the decoder, which
// may still deliver while the stream is being taken down.
class MailboxSource final : public VideoSource {
 public:
  explicit MailboxSource(std::shared_ptr<FrameMailbox> mailbox) : mailbox_(std::move(mailbox)) {}
  bool Capture(int64_t, VideoFrame& frame) override { return mailbox_->Take(frame); }

 private:
  std::shared_ptr<FrameMailbox> mailbox_;
};

}  // namespace rtc
