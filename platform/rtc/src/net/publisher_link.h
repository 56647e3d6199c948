// The local participant's connection: its video (frames handed in by the video thread,
// scaled to the profile's size, VP8) and its microphone or tone (Opus).
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "net/webrtc_link.h"
#include "video_frame.h"

namespace rtc {

struct PublishSettings {
  int width = 640;  // the video profile's size
  int height = 480;
  bool video = true;
  std::string microphone;   // the sound server's source name; empty for the virtual tone
  int record_volume = 100;  // percent
};

class PublisherLink {
 public:
  static constexpr const char* kLevelElement = "sent_level";
  static std::unique_ptr<PublisherLink> Create(const PublishSettings& settings, std::string& error);

  WebRtcLink& link() { return link_; }
  // Any thread; a frame of another size than the last changes the input, not the output.
  void PushFrame(const VideoFrame& frame);
  void SetAudioSending(bool sending);
  void SetRecordVolume(int percent);

 private:
  explicit PublisherLink(const PublishSettings& settings)
      : settings_(settings), link_("publisher") {}
  bool Build(std::string& error);

  const PublishSettings settings_;
  WebRtcLink link_;
  GstElement* video_source_ = nullptr;  // owned by the pipeline, like the two below
  GstElement* record_volume_ = nullptr;
  GstElement* mute_ = nullptr;
  std::mutex mutex_;
  int input_width_ = 0;
  int input_height_ = 0;
};

}  // namespace rtc
