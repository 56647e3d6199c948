// The lesson's channel as the engine uses it: the networked one for real lessons, the
// simulated one (a scenario of the engine's configuration) for tests of the program.
#pragma once

#include <string>
#include <vector>

#include "rtc/rtc_event_handler.h"

namespace rtc {

struct JoinRequest {
  std::string channel;
  std::string key;           // the lesson's channel key, the room's token
  uid_t uid = 0;             // 0 lets the channel choose
  std::string media_server;  // the media server's HTTP API address
};

// What the local participant sends and plays, as the engine's state decides it.
struct LocalMedia {
  bool send_video = false;
  bool send_audio = false;
  std::string microphone;   // the sound server's source; empty for the virtual tone
  std::string speaker;      // the sound server's sink; empty for the virtual speaker
  int record_volume = 100;  // percent
  int playout_volume = 100;
  int width = 640;  // the video profile's size
  int height = 480;
  bool operator==(const LocalMedia& o) const {
    return send_video == o.send_video && send_audio == o.send_audio && microphone == o.microphone &&
           speaker == o.speaker && record_volume == o.record_volume &&
           playout_volume == o.playout_volume && width == o.width && height == o.height;
  }
};

class Channel {
 public:
  static constexpr int kStatsPeriodMs = 2000;

  virtual ~Channel() = default;
  // ERR_REFUSED while already in a channel; the outcome follows as callbacks.
  virtual int Join(const JoinRequest& request) = 0;
  // ERR_REFUSED when not in a channel.
  virtual int Leave() = 0;
  // The uid of the last join (the one chosen when it was 0).
  virtual uid_t local_uid() const = 0;
  // The audio levels (0 to 255) of the local participant (uid 0) and of every remote one.
  virtual std::vector<AudioVolumeInfo> Levels() const = 0;
  // Never blocks; takes effect at once or, for a channel on the network, soon.
  virtual void SetLocalMedia(const LocalMedia& media) = 0;
};

}  // namespace rtc
