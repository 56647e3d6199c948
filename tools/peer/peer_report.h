// What the peer receives, as its engine reports it, and the JSON lines it prints from that:
// one a second of the channel's state, or one naming a failure.
//
// The engine's callback thread writes through the handler's callbacks while the main thread
// takes lines, so every member is read and written under one lock.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "rtc/rtc_event_handler.h"

class PeerReport : public rtc::IRtcEngineEventHandler {
 public:
  // on_failure runs on the engine's thread once a failure has been noted, to wake the reader.
  explicit PeerReport(std::function<void()> on_failure);

  // {"t":seconds,"joined":..,"connection_lost":times,"remotes":{"<uid>":{"frames":..,
  // "width":..,"height":..,"level":..,"muted_audio":..,"muted_video":..}},
  // "left":{"<uid>":reason}}, reason 0 for a hang-up and 1 for a participant lost; joined is
  // false while the engine reconnects. Called once a second: each remote's frames grow by
  // the frame rate it last reported.
  std::string NextLine(int seconds);
  // The first failure the engine reported.
  std::optional<std::string> Failure() const;

  void onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
  void onRejoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
  void onError(int err, const char* msg) override;
  void onConnectionStateChanged(int state) override;
  void onConnectionLost() override;
  void onUserJoined(rtc::uid_t uid, int elapsed) override;
  void onUserOffline(rtc::uid_t uid, rtc::USER_OFFLINE_REASON_TYPE reason) override;
  void onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height, int elapsed) override;
  void onVideoSizeChanged(rtc::uid_t uid, int width, int height, int rotation) override;
  void onRemoteVideoStats(const rtc::RemoteVideoStats& stats) override;
  void onAudioVolumeIndication(const rtc::AudioVolumeInfo* speakers, unsigned int speakerNumber,
                               int totalVolume) override;
  void onUserMuteAudio(rtc::uid_t uid, bool muted) override;
  void onUserMuteVideo(rtc::uid_t uid, bool muted) override;

 private:
  struct Remote {
    long long frames = 0;
    int frame_rate = 0;
    int width = 0;
    int height = 0;
    unsigned level = 0;
    bool muted_audio = false;
    bool muted_video = false;
  };
  void Fail(std::string text);
  void Resize(rtc::uid_t uid, int width, int height);

  const std::function<void()> on_failure_;
  mutable std::mutex mutex_;
  bool joined_ = false;  // false again while the engine reconnects
  int connection_lost_ = 0;
  std::map<rtc::uid_t, Remote> remotes_;
  std::map<rtc::uid_t, int> left_;  // the last reason each one left for
  std::optional<std::string> failure_;
};

// {"error":"<text>"}
std::string ErrorLine(const std::string& text);
