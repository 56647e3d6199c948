#include "media/engine_event_bridge.h"

#include <cstring>
#include <memory>

#include "base/app_messages.h"
#include "media/engine_events.h"

void CAGEngineEventHandler::ReleaseWindow(HWND window) {
  if (window == nullptr) return;
  HWND expected = window;
  target_window.compare_exchange_strong(expected, nullptr);
  MSG queued{};
  while (PeekMessageW(&queued, window, EngineEventMessage(EID_JOIN_SUCCESS),
                      EngineEventMessage(EID_LASTMILE_QUALITY), PM_REMOVE)) {
    FreeEngineEvent(queued.message, queued.wParam);
  }
}

namespace {

// A heap copy of text with its NUL, in a block of exactly its length plus one; null for null.
std::unique_ptr<char[]> CopyText(const char* text) {
  if (text == nullptr) return nullptr;
  std::size_t size = std::strlen(text) + 1;
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), text, size);
  return copy;
}

template <typename Record>
std::unique_ptr<Record> Copy(const Record& record) {
  return std::make_unique<Record>(record);
}

std::unique_ptr<ChannelEvent> Channel(const char* channel, rtc::uid_t uid, int elapsed) {
  auto record = std::make_unique<ChannelEvent>();
  record->channel = CopyText(channel != nullptr ? channel : "");
  record->uid = uid;
  record->elapsed = elapsed;
  return record;
}

std::unique_ptr<DeviceStateEvent> DeviceState(const char* id, int type, int state) {
  auto record = std::make_unique<DeviceStateEvent>();
  record->device_id = CopyText(id != nullptr ? id : "");
  record->device_type = type;
  record->device_state = state;
  return record;
}

std::unique_ptr<RemoteFrameEvent> RemoteFrame(rtc::uid_t uid, int width, int height, int value) {
  return std::make_unique<RemoteFrameEvent>(RemoteFrameEvent{uid, width, height, value});
}

std::unique_ptr<UserEvent> User(rtc::uid_t uid, int value) {
  return std::make_unique<UserEvent>(UserEvent{uid, value});
}

std::unique_ptr<ValueEvent> Value(int value) {
  return std::make_unique<ValueEvent>(ValueEvent{value});
}

}  // namespace

CAGEngineEventHandler& CAGEngineEventHandler::Instance() {
  // Never destroyed: the engine's threads may still call it while the process exits.
  static CAGEngineEventHandler* bridge = new CAGEngineEventHandler;
  return *bridge;
}

void CAGEngineEventHandler::onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) {
  Send<EID_JOIN_SUCCESS>([&] { return Channel(channel, uid, elapsed); });
}

void CAGEngineEventHandler::onRejoinChannelSuccess(const char* channel, rtc::uid_t uid,
                                                   int elapsed) {
  Send<EID_REJOIN_SUCCESS>([&] { return Channel(channel, uid, elapsed); });
}

void CAGEngineEventHandler::onError(int err, const char* msg) {
  Send<EID_ERROR>([&] {
    auto record = std::make_unique<ErrorEvent>();
    record->code = err;
    record->message = CopyText(msg);
    return record;
  });
}

void CAGEngineEventHandler::onAudioQuality(rtc::uid_t uid, int quality, unsigned short delay,
                                           unsigned short lost) {
  Send<EID_AUDIO_QUALITY>([&] {
    return std::make_unique<AudioQualityEvent>(AudioQualityEvent{uid, quality, delay, lost});
  });
}

void CAGEngineEventHandler::onAudioVolumeIndication(const rtc::AudioVolumeInfo* speakers,
                                                    unsigned int speakerNumber, int totalVolume) {
  Send<EID_AUDIO_VOLUME>([&] {
    auto record = std::make_unique<VolumeEvent>();
    unsigned int count = speakers != nullptr ? speakerNumber : 0;
    record->speakers.reset(new SpeakerVolume[count]);
    for (unsigned int i = 0; i < count; ++i) {
      record->speakers[i] = SpeakerVolume{speakers[i].uid, speakers[i].volume};
    }
    record->count = count;
    record->total_volume = totalVolume;
    return record;
  });
}

void CAGEngineEventHandler::onLeaveChannel(const rtc::RtcStats& stats) {
  Send<EID_LEAVE_CHANNEL>([&] { return Copy(stats); });
}

void CAGEngineEventHandler::onAudioDeviceStateChanged(const char* deviceId, int deviceType,
                                                      int deviceState) {
  Send<EID_AUDIO_DEVICE_STATE>([&] { return DeviceState(deviceId, deviceType, deviceState); });
}

void CAGEngineEventHandler::onVideoDeviceStateChanged(const char* deviceId, int deviceType,
                                                      int deviceState) {
  Send<EID_VIDEO_DEVICE_STATE>([&] { return DeviceState(deviceId, deviceType, deviceState); });
}

void CAGEngineEventHandler::onNetworkQuality(rtc::uid_t uid, int txQuality, int rxQuality) {
  Send<EID_NETWORK_QUALITY>([&] {
    return std::make_unique<QualityEvent>(QualityEvent{uid, txQuality, rxQuality});
  });
}

void CAGEngineEventHandler::onLastmileQuality(int quality) {
  Send<EID_LASTMILE_QUALITY>([&] { return Value(quality); });
}

void CAGEngineEventHandler::onFirstLocalVideoFrame(int width, int height, int elapsed) {
  Send<EID_FIRST_LOCAL_VIDEO_FRAME>([&] {
    return std::make_unique<LocalFrameEvent>(LocalFrameEvent{width, height, elapsed});
  });
}

void CAGEngineEventHandler::onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height,
                                                      int elapsed) {
  Send<EID_FIRST_REMOTE_VIDEO_DECODED>([&] { return RemoteFrame(uid, width, height, elapsed); });
}

void CAGEngineEventHandler::onVideoSizeChanged(rtc::uid_t uid, int width, int height,
                                               int rotation) {
  Send<EID_VIDEO_SIZE_CHANGED>([&] { return RemoteFrame(uid, width, height, rotation); });
}

void CAGEngineEventHandler::onFirstRemoteVideoFrame(rtc::uid_t uid, int width, int height,
                                                    int elapsed) {
  Send<EID_FIRST_REMOTE_VIDEO_FRAME>([&] { return RemoteFrame(uid, width, height, elapsed); });
}

void CAGEngineEventHandler::onUserJoined(rtc::uid_t uid, int elapsed) {
  Send<EID_USER_JOINED>([&] { return User(uid, elapsed); });
}

void CAGEngineEventHandler::onUserOffline(rtc::uid_t uid, rtc::USER_OFFLINE_REASON_TYPE reason) {
  Send<EID_USER_OFFLINE>([&] { return User(uid, reason); });
}

void CAGEngineEventHandler::onUserMuteAudio(rtc::uid_t uid, bool muted) {
  Send<EID_USER_MUTE_AUDIO>([&] { return User(uid, muted ? 1 : 0); });
}

void CAGEngineEventHandler::onUserMuteVideo(rtc::uid_t uid, bool muted) {
  Send<EID_USER_MUTE_VIDEO>([&] { return User(uid, muted ? 1 : 0); });
}

void CAGEngineEventHandler::onLocalVideoStats(const rtc::LocalVideoStats& stats) {
  Send<EID_LOCAL_VIDEO_STATS>([&] { return Copy(stats); });
}

void CAGEngineEventHandler::onRemoteVideoStats(const rtc::RemoteVideoStats& stats) {
  Send<EID_REMOTE_VIDEO_STATS>([&] { return Copy(stats); });
}

void CAGEngineEventHandler::onCameraReady() { SendWithoutRecord<EID_CAMERA_READY>(); }

void CAGEngineEventHandler::onVideoStopped() { SendWithoutRecord<EID_VIDEO_STOPPED>(); }

void CAGEngineEventHandler::onConnectionLost() { SendWithoutRecord<EID_CONNECTION_LOST>(); }

void CAGEngineEventHandler::onConnectionStateChanged(int state) {
  Send<EID_CONNECTION_STATE_CHANGED>([&] { return Value(state); });
}

void CAGEngineEventHandler::onAudioRouteChanged(int routing) {
  Send<EID_AUDIO_ROUTE_CHANGED>([&] { return Value(routing); });
}

void CAGEngineEventHandler::onApiCallExecuted(const char* api, int error) {
  Send<EID_API_CALL_EXECUTED>([&] {
    auto record = std::make_unique<TextEvent>();
    if (api != nullptr) std::strncpy(record->text, api, sizeof record->text - 1);
    record->value = error;
    return record;
  });
}

void CAGEngineEventHandler::onMediaEngineLoadSuccess() {
  SendWithoutRecord<EID_MEDIA_ENGINE_LOAD_SUCCESS>();
}

void CAGEngineEventHandler::onMediaEngineStartCallSuccess() {
  SendWithoutRecord<EID_MEDIA_ENGINE_START_CALL_SUCCESS>();
}
