// The records that the engine event bridge posts, one per event, as message 1536 + code
// (EngineEventMessage) with the record in wParam (0 for events without one) and 0 in lParam.
//
// A record belongs to the window that receives it, which frees it (with every text and array
// it carries) once handled, whether it acts on it or not: AdoptEngineEvent for the records it
// reads, FreeEngineEvent for any other message in the range.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/app_messages.h"
#include "rtc/rtc_event_handler.h"

enum EngineEventCode : int {
  EID_JOIN_SUCCESS = 1,
  EID_REJOIN_SUCCESS = 2,
  EID_ERROR = 3,
  EID_AUDIO_QUALITY = 4,
  EID_AUDIO_VOLUME = 8,
  EID_LEAVE_CHANNEL = 9,
  EID_AUDIO_ROUTE_CHANGED = 11,
  EID_AUDIO_DEVICE_STATE = 12,
  EID_NETWORK_QUALITY = 13,
  EID_FIRST_LOCAL_VIDEO_FRAME = 14,
  EID_FIRST_REMOTE_VIDEO_DECODED = 15,
  EID_FIRST_REMOTE_VIDEO_FRAME = 16,
  EID_USER_JOINED = 17,
  EID_USER_OFFLINE = 18,
  EID_USER_MUTE_AUDIO = 19,
  EID_USER_MUTE_VIDEO = 20,
  EID_LOCAL_VIDEO_STATS = 22,
  EID_REMOTE_VIDEO_STATS = 23,
  EID_CAMERA_READY = 24,
  EID_CONNECTION_LOST = 25,
  EID_VIDEO_DEVICE_STATE = 27,
  EID_VIDEO_STOPPED = 28,
  EID_MEDIA_ENGINE_LOAD_SUCCESS = 29,
  EID_MEDIA_ENGINE_START_CALL_SUCCESS = 30,
  EID_CONNECTION_STATE_CHANGED = 31,
  EID_API_CALL_EXECUTED = 32,
  EID_VIDEO_SIZE_CHANGED = 34,
  EID_LASTMILE_QUALITY = 35,
};

// 1537 to 1571: the engine's events.
constexpr bool IsEngineEventMessage(UINT message) {
  return message > kEngineEventBase && message <= kEngineEventBase + EID_LASTMILE_QUALITY;
}

struct ChannelEvent {
  std::unique_ptr<char[]> channel;  // NUL-terminated, exactly its length plus one
  uint32_t uid = 0;
  int32_t elapsed = 0;  // ms
};

struct ErrorEvent {
  int32_t code = 0;
  std::unique_ptr<char[]> message;  // null when the engine gave no text
};

struct AudioQualityEvent {
  uint32_t uid = 0;
  int32_t quality = 0;
  uint16_t delay = 0;
  uint16_t lost = 0;
};

struct SpeakerVolume {
  uint32_t uid = 0;
  uint32_t volume = 0;
};

struct VolumeEvent {
  std::unique_ptr<SpeakerVolume[]> speakers;  // count entries; an empty array for none
  uint32_t count = 0;
  int32_t total_volume = 0;
};

// EID_LEAVE_CHANNEL carries a copy of rtc::RtcStats, EID_LOCAL_VIDEO_STATS of
// rtc::LocalVideoStats and EID_REMOTE_VIDEO_STATS of rtc::RemoteVideoStats.

struct DeviceStateEvent {
  std::unique_ptr<char[]> device_id;
  int32_t device_type = 0;
  int32_t device_state = 0;
};

struct QualityEvent {
  uint32_t uid = 0;  // 0 is the local participant
  int32_t tx_quality = 0;
  int32_t rx_quality = 0;
};

struct LocalFrameEvent {
  int32_t width = 0;
  int32_t height = 0;
  int32_t elapsed = 0;
};

struct RemoteFrameEvent {
  uint32_t uid = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t value = 0;  // elapsed ms, or the rotation for EID_VIDEO_SIZE_CHANGED
};

struct UserEvent {
  uint32_t uid = 0;
  int32_t value = 0;  // elapsed for a join, the reason for leaving, or the muted flag
};

struct ValueEvent {
  int32_t value = 0;
};

struct TextEvent {
  char text[128] = {};  // the engine's text cut to 127 bytes
  int32_t value = 0;
};

// Takes over the record a message carries, for a receiver that reads it.
template <typename Record>
std::unique_ptr<Record> AdoptEngineEvent(WPARAM wparam) {
  return std::unique_ptr<Record>(reinterpret_cast<Record*>(wparam));
}

// Frees the record of any engine event message, with what it points to. Nothing happens for
// other messages and for events without a record.
void FreeEngineEvent(UINT message, WPARAM wparam);
