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
#include <type_traits>

#include "base/app_messages.h"
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

// The one table of what each event's message carries: the bridge's sending, the receivers'
// reading and the freeing of records all go through it, so a record of the wrong kind for its
// code does not compile. void: the message has no record; codes absent here have no message.
struct NoEngineEvent {};
template <int Code>
struct EngineEventRecord {
  using type = NoEngineEvent;
};
#define QUORVEL_ENGINE_EVENT(code, record) \
  template <>                              \
  struct EngineEventRecord<code> {         \
    using type = record;                   \
  }
QUORVEL_ENGINE_EVENT(EID_JOIN_SUCCESS, ChannelEvent);
QUORVEL_ENGINE_EVENT(EID_REJOIN_SUCCESS, ChannelEvent);
QUORVEL_ENGINE_EVENT(EID_ERROR, ErrorEvent);
QUORVEL_ENGINE_EVENT(EID_AUDIO_QUALITY, AudioQualityEvent);
QUORVEL_ENGINE_EVENT(EID_AUDIO_VOLUME, VolumeEvent);
QUORVEL_ENGINE_EVENT(EID_LEAVE_CHANNEL, rtc::RtcStats);
QUORVEL_ENGINE_EVENT(EID_AUDIO_ROUTE_CHANGED, ValueEvent);
QUORVEL_ENGINE_EVENT(EID_AUDIO_DEVICE_STATE, DeviceStateEvent);
QUORVEL_ENGINE_EVENT(EID_NETWORK_QUALITY, QualityEvent);
QUORVEL_ENGINE_EVENT(EID_FIRST_LOCAL_VIDEO_FRAME, LocalFrameEvent);
QUORVEL_ENGINE_EVENT(EID_FIRST_REMOTE_VIDEO_DECODED, RemoteFrameEvent);
QUORVEL_ENGINE_EVENT(EID_FIRST_REMOTE_VIDEO_FRAME, RemoteFrameEvent);
QUORVEL_ENGINE_EVENT(EID_USER_JOINED, UserEvent);
QUORVEL_ENGINE_EVENT(EID_USER_OFFLINE, UserEvent);
QUORVEL_ENGINE_EVENT(EID_USER_MUTE_AUDIO, UserEvent);
QUORVEL_ENGINE_EVENT(EID_USER_MUTE_VIDEO, UserEvent);
QUORVEL_ENGINE_EVENT(EID_LOCAL_VIDEO_STATS, rtc::LocalVideoStats);
QUORVEL_ENGINE_EVENT(EID_REMOTE_VIDEO_STATS, rtc::RemoteVideoStats);
QUORVEL_ENGINE_EVENT(EID_CAMERA_READY, void);
QUORVEL_ENGINE_EVENT(EID_CONNECTION_LOST, void);
QUORVEL_ENGINE_EVENT(EID_VIDEO_DEVICE_STATE, DeviceStateEvent);
QUORVEL_ENGINE_EVENT(EID_VIDEO_STOPPED, void);
QUORVEL_ENGINE_EVENT(EID_MEDIA_ENGINE_LOAD_SUCCESS, void);
QUORVEL_ENGINE_EVENT(EID_MEDIA_ENGINE_START_CALL_SUCCESS, void);
QUORVEL_ENGINE_EVENT(EID_CONNECTION_STATE_CHANGED, ValueEvent);
QUORVEL_ENGINE_EVENT(EID_API_CALL_EXECUTED, TextEvent);
QUORVEL_ENGINE_EVENT(EID_VIDEO_SIZE_CHANGED, RemoteFrameEvent);
QUORVEL_ENGINE_EVENT(EID_LASTMILE_QUALITY, ValueEvent);
#undef QUORVEL_ENGINE_EVENT

template <int Code>
using EngineEventRecordOf = typename EngineEventRecord<Code>::type;

template <int Code>
constexpr bool kEngineEventHasRecord = !std::is_void_v<EngineEventRecordOf<Code>> &&
                                       !std::is_same_v<EngineEventRecordOf<Code>, NoEngineEvent>;

// Takes over the record the message of event Code carries, for a receiver that reads it.
template <int Code>
std::unique_ptr<EngineEventRecordOf<Code>> AdoptEngineEvent(WPARAM wparam) {
  static_assert(kEngineEventHasRecord<Code>, "this event carries no record");
  return std::unique_ptr<EngineEventRecordOf<Code>>(
      reinterpret_cast<EngineEventRecordOf<Code>*>(wparam));
}

// Frees the record of any engine event message, with what it points to. Nothing happens for
// other messages and for events without a record.
void FreeEngineEvent(UINT message, WPARAM wparam);
