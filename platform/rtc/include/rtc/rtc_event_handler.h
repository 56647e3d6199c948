// What the engine reports, through one handler object given at initialisation.
//
// Every callback runs on the engine's callback thread, never inside the call that caused it,
// and the callbacks of one engine arrive in the order in which their events happened. Texts
// and arrays passed in are valid only during the call. The defaults do nothing.
#pragma once

#include <cstdint>

#include "rtc/rtc_base.h"

namespace rtc {

// The statistics of a whole call, given when the channel has been left.
struct RtcStats {
  uint32_t duration = 0;  // seconds in the channel
  uint32_t txBytes = 0;
  uint32_t rxBytes = 0;
  uint32_t txKBitRate = 0;
  uint32_t rxKBitRate = 0;
  uint32_t txAudioKBitRate = 0;
  uint32_t rxAudioKBitRate = 0;
  uint32_t txVideoKBitRate = 0;
  uint32_t rxVideoKBitRate = 0;
  uint32_t users = 0;  // participants in the channel, the local one included
  int32_t cpuAppUsage = 0;
  int32_t cpuTotalUsage = 0;
};

struct LocalVideoStats {
  int32_t sentBitrate = 0;  // kbit/s
  int32_t sentFrameRate = 0;
};

struct RemoteVideoStats {
  uid_t uid = 0;
  int32_t delay = 0;  // ms
  int32_t width = 0;
  int32_t height = 0;
  int32_t receivedBitrate = 0;
  int32_t receivedFrameRate = 0;
};

struct AudioVolumeInfo {
  uid_t uid;            // 0 is the local participant
  unsigned int volume;  // 0 to 255
};

class IRtcEngineEventHandler {
 public:
  virtual ~IRtcEngineEventHandler() = default;

  virtual void onJoinChannelSuccess(const char* channel, uid_t uid, int elapsed) {
    (void)channel, (void)uid, (void)elapsed;
  }
  // The channel was joined again after the network had been lost.
  virtual void onRejoinChannelSuccess(const char* channel, uid_t uid, int elapsed) {
    (void)channel, (void)uid, (void)elapsed;
  }
  virtual void onWarning(int warn, const char* msg) { (void)warn, (void)msg; }
  // msg may be null.
  virtual void onError(int err, const char* msg) { (void)err, (void)msg; }
  virtual void onAudioQuality(uid_t uid, int quality, unsigned short delay, unsigned short lost) {
    (void)uid, (void)quality, (void)delay, (void)lost;
  }
  // speakers may be null when speakerNumber is 0.
  virtual void onAudioVolumeIndication(const AudioVolumeInfo* speakers, unsigned int speakerNumber,
                                       int totalVolume) {
    (void)speakers, (void)speakerNumber, (void)totalVolume;
  }
  virtual void onLeaveChannel(const RtcStats& stats) { (void)stats; }
  // Every two seconds while in a channel.
  virtual void onRtcStats(const RtcStats& stats) { (void)stats; }
  virtual void onAudioDeviceStateChanged(const char* deviceId, int deviceType, int deviceState) {
    (void)deviceId, (void)deviceType, (void)deviceState;
  }
  virtual void onVideoDeviceStateChanged(const char* deviceId, int deviceType, int deviceState) {
    (void)deviceId, (void)deviceType, (void)deviceState;
  }
  // uid 0 is the local participant.
  virtual void onNetworkQuality(uid_t uid, int txQuality, int rxQuality) {
    (void)uid, (void)txQuality, (void)rxQuality;
  }
  virtual void onLastmileQuality(int quality) { (void)quality; }
  virtual void onFirstLocalVideoFrame(int width, int height, int elapsed) {
    (void)width, (void)height, (void)elapsed;
  }
  virtual void onFirstRemoteVideoDecoded(uid_t uid, int width, int height, int elapsed) {
    (void)uid, (void)width, (void)height, (void)elapsed;
  }
  // uid 0 is the local video.
  virtual void onVideoSizeChanged(uid_t uid, int width, int height, int rotation) {
    (void)uid, (void)width, (void)height, (void)rotation;
  }
  // The first frame of that participant was drawn into its canvas.
  virtual void onFirstRemoteVideoFrame(uid_t uid, int width, int height, int elapsed) {
    (void)uid, (void)width, (void)height, (void)elapsed;
  }
  virtual void onUserJoined(uid_t uid, int elapsed) { (void)uid, (void)elapsed; }
  virtual void onUserOffline(uid_t uid, USER_OFFLINE_REASON_TYPE reason) {
    (void)uid, (void)reason;
  }
  virtual void onUserMuteAudio(uid_t uid, bool muted) { (void)uid, (void)muted; }
  virtual void onUserMuteVideo(uid_t uid, bool muted) { (void)uid, (void)muted; }
  virtual void onLocalVideoStats(const LocalVideoStats& stats) { (void)stats; }
  virtual void onRemoteVideoStats(const RemoteVideoStats& stats) { (void)stats; }
  // The selected camera (or the test pattern) started capturing.
  virtual void onCameraReady() {}
  // Local video stopped: video was disabled or the channel left.
  virtual void onVideoStopped() {}
  // The network has been lost for long enough that the channel is gone until a re-join.
  virtual void onConnectionLost() {}
  virtual void onConnectionInterrupted() {}
  virtual void onConnectionStateChanged(int state) { (void)state; }
  // The playback device in use changed; the new one's index in the playback list.
  virtual void onAudioRouteChanged(int routing) { (void)routing; }
  // A parameter call finished with the given result; api names the parameter.
  virtual void onApiCallExecuted(const char* api, int error) { (void)api, (void)error; }
  virtual void onMediaEngineLoadSuccess() {}
  virtual void onMediaEngineStartCallSuccess() {}
};

}  // namespace rtc
