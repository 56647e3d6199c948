// The connection that receives one remote participant: its video decoded into a mailbox that
// the video thread draws from, its audio decoded and played at the play volume.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "net/frame_mailbox.h"
#include "net/webrtc_link.h"

namespace rtc {

struct PlaybackSettings {
  std::string speaker;       // the sound server's sink name; empty plays nowhere (virtual speaker)
  int playout_volume = 100;  // percent
};

class SubscriberLink {
 public:
  static constexpr const char* kLevelElement = "received_level";
  static std::unique_ptr<SubscriberLink> Create(const PlaybackSettings& settings,
                                                std::shared_ptr<FrameMailbox> frames,
                                                std::string& error);
  ~SubscriberLink();

  WebRtcLink& link() { return link_; }
  void SetPlayoutVolume(int percent);

 private:
  SubscriberLink(const PlaybackSettings& settings, std::shared_ptr<FrameMailbox> frames)
      : settings_(settings), frames_(std::move(frames)), link_("subscriber") {}
  static void OnPadAdded(GstElement* webrtc, GstPad* pad, gpointer self);
  void AddReceiveBranch(GstPad* pad);

  const PlaybackSettings settings_;
  std::shared_ptr<FrameMailbox> frames_;
  WebRtcLink link_;
  gulong pad_added_ = 0;
  std::mutex mutex_;
  double playout_volume_ = 1.0;
};

}  // namespace rtc
