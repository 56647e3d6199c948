// The media engine: one object that joins a channel, captures and draws video, reports what
// happens through an IRtcEngineEventHandler and hands out its device managers and parameter
// store through queryInterface.
//
// Operations return 0 or a negative ERROR_CODE_TYPE; outcomes that take time (the join, the
// leave, first frames, probe samples) arrive later as callbacks on the engine's own thread.
// Configuration: QUORVEL_RTC_CONFIG names a JSON file with virtual devices and the channel's
// scenario; QUORVEL_API_BASE names the host the last-mile probe measures.
#pragma once

#include "rtc/rtc_base.h"
#include "rtc/rtc_devices.h"
#include "rtc/rtc_event_handler.h"
#include "rtc/rtc_parameter.h"

namespace rtc {

struct RtcEngineContext {
  IRtcEngineEventHandler* eventHandler = nullptr;
  const char* appId = nullptr;
};

struct VideoCanvas {
  view_t view = nullptr;  // the window drawn into; null stops drawing that uid
  int renderMode = RENDER_MODE_FIT;
  uid_t uid = 0;
  void* priv = nullptr;
};

// Screen coordinates, in this field order.
struct Rect {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
};

// Video profiles: the capture size and rate a profile number stands for.
enum VIDEO_PROFILE_TYPE {
  VIDEO_PROFILE_120P = 0,   // 160 x 120, 15 fps
  VIDEO_PROFILE_180P = 10,  // 320 x 180, 15 fps
  VIDEO_PROFILE_240P = 20,  // 320 x 240, 15 fps
  VIDEO_PROFILE_360P = 30,  // 640 x 360, 15 fps
  VIDEO_PROFILE_480P = 40,  // 640 x 480, 15 fps (the default)
  VIDEO_PROFILE_720P = 50,  // 1280 x 720, 15 fps
};

class IRtcEngine {
 public:
  // Once per engine; the handler must outlive the engine. A second call fails.
  virtual int initialize(const RtcEngineContext& context) = 0;
  // Stops every thread of the engine and frees it; no callback runs after it returns.
  virtual void release() = 0;
  virtual int queryInterface(INTERFACE_ID_TYPE iid, void** inter) = 0;

  // info is free text kept with the join; uid 0 lets the engine choose one.
  virtual int joinChannel(const char* channelKey, const char* channelName, const char* info,
                          uid_t uid) = 0;
  virtual int leaveChannel() = 0;

  virtual int startPreview() = 0;
  virtual int stopPreview() = 0;
  virtual int enableVideo() = 0;
  virtual int disableVideo() = 0;
  virtual int enableAudio() = 0;
  virtual int disableAudio() = 0;
  virtual int setVideoProfile(int profile, bool swapWidthAndHeight) = 0;
  virtual int setupLocalVideo(const VideoCanvas& canvas) = 0;
  virtual int setupRemoteVideo(const VideoCanvas& canvas) = 0;
  virtual int setAudioProfile(int profile, int scenario) = 0;
  // Reports the levels of the participants every interval ms (0 stops it).
  virtual int enableAudioVolumeIndication(int interval, int smooth) = 0;

  // Sends the screen (windowId null) or the rect of it instead of the camera, at captureFreq
  // frames per second, scaled to the video profile's size; a null rect is the whole screen.
  // Called again during a capture at the same rate, it moves the capture to the new rect.
  virtual int startScreenCapture(view_t windowId, int captureFreq, const Rect* rect,
                                 int bitrate) = 0;
  virtual int stopScreenCapture() = 0;

  // While it runs, onLastmileQuality every 200 ms.
  virtual int enableLastmileTest() = 0;
  virtual int disableLastmileTest() = 0;

 protected:
  virtual ~IRtcEngine() = default;
};

}  // namespace rtc

// The library's creation export: a new engine, not yet initialised.
extern "C" rtc::IRtcEngine* createRtcEngine();
