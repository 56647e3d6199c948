// The engine's callbacks turned into window messages. For each event the program cares about
// the bridge copies the arguments into a fresh record (media/engine_events.h) and posts it to
// its one target window as EngineEventMessage(code), then returns at once: every reaction to
// the engine happens on the user-interface thread. Without a target nothing is allocated or
// posted; a record whose post fails is freed here.
//
// Engine threads call it, several at once; it touches only its target (one word, written by
// the user-interface thread) and memory it has just allocated.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <type_traits>

#include "base/app_messages.h"
#include "media/engine_events.h"
#include "rtc/rtc_event_handler.h"

class CAGEngineEventHandler : public rtc::IRtcEngineEventHandler {
 public:
  // The process-wide bridge that the engine is initialised with.
  static CAGEngineEventHandler& Instance();

  void SetTargetWindow(HWND window) { target_window.store(window); }
  HWND TargetWindow() const { return target_window.load(); }
  // For a window about to go: no more events for it, and the records already queued for it are
  // freed, since the window system drops a destroyed window's queue, records and all.
  void ReleaseWindow(HWND window);

  void onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
  void onRejoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
  void onError(int err, const char* msg) override;
  void onAudioQuality(rtc::uid_t uid, int quality, unsigned short delay,
                      unsigned short lost) override;
  void onAudioVolumeIndication(const rtc::AudioVolumeInfo* speakers, unsigned int speakerNumber,
                               int totalVolume) override;
  void onLeaveChannel(const rtc::RtcStats& stats) override;
  void onAudioDeviceStateChanged(const char* deviceId, int deviceType, int deviceState) override;
  void onVideoDeviceStateChanged(const char* deviceId, int deviceType, int deviceState) override;
  void onNetworkQuality(rtc::uid_t uid, int txQuality, int rxQuality) override;
  void onLastmileQuality(int quality) override;
  void onFirstLocalVideoFrame(int width, int height, int elapsed) override;
  void onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height, int elapsed) override;
  void onVideoSizeChanged(rtc::uid_t uid, int width, int height, int rotation) override;
  void onFirstRemoteVideoFrame(rtc::uid_t uid, int width, int height, int elapsed) override;
  void onUserJoined(rtc::uid_t uid, int elapsed) override;
  void onUserOffline(rtc::uid_t uid, rtc::USER_OFFLINE_REASON_TYPE reason) override;
  void onUserMuteAudio(rtc::uid_t uid, bool muted) override;
  void onUserMuteVideo(rtc::uid_t uid, bool muted) override;
  void onLocalVideoStats(const rtc::LocalVideoStats& stats) override;
  void onRemoteVideoStats(const rtc::RemoteVideoStats& stats) override;
  void onCameraReady() override;
  void onVideoStopped() override;
  void onConnectionLost() override;
  void onConnectionStateChanged(int state) override;
  void onAudioRouteChanged(int routing) override;
  void onApiCallExecuted(const char* api, int error) override;
  void onMediaEngineLoadSuccess() override;
  void onMediaEngineStartCallSuccess() override;

  // Receiver of every posted event; null until the program sets it.
  std::atomic<HWND> target_window{nullptr};

 private:
  // Reads the target once, so that a change of target cannot split an event; allocates the
  // record only when there is one, and frees it again when the post fails.
  template <int Code, typename MakeRecord>
  void Send(MakeRecord make_record) {
    static_assert(
        std::is_same_v<decltype(make_record()), std::unique_ptr<EngineEventRecordOf<Code>>>,
        "the record the event table names for this code");
    HWND target = target_window.load();
    if (target == nullptr) return;
    auto record = make_record();
    if (PostMessageW(target, EngineEventMessage(Code), reinterpret_cast<WPARAM>(record.get()), 0)) {
      record.release();
    }
  }
  template <int Code>
  void SendWithoutRecord() {
    static_assert(std::is_void_v<EngineEventRecordOf<Code>>, "the event table names a record");
    HWND target = target_window.load();
    if (target != nullptr) PostMessageW(target, EngineEventMessage(Code), 0, 0);
  }
};
