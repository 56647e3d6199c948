#include "media/engine_events.h"

void FreeEngineEvent(UINT message, WPARAM wparam) {
  if (!IsEngineEventMessage(message) || wparam == 0) return;
  switch (static_cast<int>(message - kEngineEventBase)) {
    case EID_JOIN_SUCCESS:
    case EID_REJOIN_SUCCESS:
      AdoptEngineEvent<ChannelEvent>(wparam);
      return;
    case EID_ERROR:
      AdoptEngineEvent<ErrorEvent>(wparam);
      return;
    case EID_AUDIO_QUALITY:
      AdoptEngineEvent<AudioQualityEvent>(wparam);
      return;
    case EID_AUDIO_VOLUME:
      AdoptEngineEvent<VolumeEvent>(wparam);
      return;
    case EID_LEAVE_CHANNEL:
      AdoptEngineEvent<rtc::RtcStats>(wparam);
      return;
    case EID_AUDIO_DEVICE_STATE:
    case EID_VIDEO_DEVICE_STATE:
      AdoptEngineEvent<DeviceStateEvent>(wparam);
      return;
    case EID_NETWORK_QUALITY:
      AdoptEngineEvent<QualityEvent>(wparam);
      return;
    case EID_FIRST_LOCAL_VIDEO_FRAME:
      AdoptEngineEvent<LocalFrameEvent>(wparam);
      return;
    case EID_FIRST_REMOTE_VIDEO_DECODED:
    case EID_FIRST_REMOTE_VIDEO_FRAME:
    case EID_VIDEO_SIZE_CHANGED:
      AdoptEngineEvent<RemoteFrameEvent>(wparam);
      return;
    case EID_USER_JOINED:
    case EID_USER_OFFLINE:
    case EID_USER_MUTE_AUDIO:
    case EID_USER_MUTE_VIDEO:
      AdoptEngineEvent<UserEvent>(wparam);
      return;
    case EID_LOCAL_VIDEO_STATS:
      AdoptEngineEvent<rtc::LocalVideoStats>(wparam);
      return;
    case EID_REMOTE_VIDEO_STATS:
      AdoptEngineEvent<rtc::RemoteVideoStats>(wparam);
      return;
    case EID_AUDIO_ROUTE_CHANGED:
    case EID_CONNECTION_STATE_CHANGED:
    case EID_LASTMILE_QUALITY:
      AdoptEngineEvent<ValueEvent>(wparam);
      return;
    case EID_API_CALL_EXECUTED:
      AdoptEngineEvent<TextEvent>(wparam);
      return;
    default:
      // The remaining codes carry no record; a non-zero wParam there is a sender's bug.
      return;
  }
}
