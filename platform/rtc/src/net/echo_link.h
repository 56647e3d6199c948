// The network test's connection: the stream that PublisherLink sends in a lesson (the tone, and
// the test picture small and at a low rate), on streams that receive too, since the media
// server's echo plugin sends every packet back on the stream it came on. What comes back is
// counted by the connection's statistics and dropped.
#pragma once

#include <memory>
#include <string>

#include "net/publisher_link.h"
#include "video_source.h"

namespace rtc {

class EchoLink {
 public:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  static std::unique_ptr<EchoLink> Create(std::string& error);

  WebRtcLink& link() { return publisher_->link(); }
  // The test picture's next frame; the caller sets the pace. One thread at a time.
  void SendFrame();

 private:
  explicit EchoLink(std::unique_ptr<PublisherLink> publisher) : publisher_(std::move(publisher)) {}
  static void OnEchoedPad(GstElement* webrtc, GstPad* pad, gpointer pipeline);

  std::unique_ptr<PublisherLink> publisher_;
  PatternSource pattern_{0, kWidth, kHeight};
  VideoFrame frame_;
  int64_t frame_number_ = 0;
};

}  // namespace rtc
