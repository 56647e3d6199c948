// Basic types and result codes of the media engine's interface.
#pragma once

#include <cstddef>

namespace rtc {

using uid_t = unsigned int;
// A window handle, as the window system gives it.
using view_t = void*;

// Every operation returns 0 on success and one of these on failure.
enum ERROR_CODE_TYPE {
  ERR_OK = 0,
  ERR_FAILED = -1,
  ERR_INVALID_ARGUMENT = -2,
  ERR_NOT_READY = -3,
  ERR_NOT_SUPPORTED = -4,
  ERR_REFUSED = -5,
  ERR_NOT_INITIALIZED = -7,
  // Reported through onError: the media server did not let the participant into the channel
  // (a refused key, a room that does not exist, a server that cannot be reached).
  ERR_JOIN_CHANNEL_REJECTED = 17,
};

// Ids for IRtcEngine::queryInterface.
enum INTERFACE_ID_TYPE {
  IID_AUDIO_DEVICE_MANAGER = 1,
  IID_VIDEO_DEVICE_MANAGER = 2,
  IID_RTC_ENGINE_PARAMETER = 3,
};

// Device ids and names are UTF-8 texts of at most this many bytes, NUL included.
constexpr std::size_t MAX_DEVICE_ID_LENGTH = 512;

enum MEDIA_DEVICE_TYPE {
  AUDIO_PLAYOUT_DEVICE = 0,
  AUDIO_RECORDING_DEVICE = 1,
  VIDEO_RENDER_DEVICE = 2,
  VIDEO_CAPTURE_DEVICE = 3,
};

enum MEDIA_DEVICE_STATE_TYPE {
  MEDIA_DEVICE_STATE_ACTIVE = 1,
  MEDIA_DEVICE_STATE_DISABLED = 2,
  MEDIA_DEVICE_STATE_NOT_PRESENT = 4,
  MEDIA_DEVICE_STATE_UNPLUGGED = 8,
};

enum RENDER_MODE_TYPE {
  RENDER_MODE_HIDDEN = 1,  // fills the window, cropping the frame
  RENDER_MODE_FIT = 2,     // the whole frame inside the window, black around it
};

enum USER_OFFLINE_REASON_TYPE {
  USER_OFFLINE_QUIT = 0,
  USER_OFFLINE_DROPPED = 1,
};

// Network quality, as callbacks and the last-mile probe report it.
enum QUALITY_TYPE {
  QUALITY_UNKNOWN = 0,
  QUALITY_EXCELLENT = 1,
  QUALITY_GOOD = 2,
  QUALITY_POOR = 3,
  QUALITY_BAD = 4,
  QUALITY_VBAD = 5,
  QUALITY_DOWN = 6,
};

enum CONNECTION_STATE_TYPE {
  CONNECTION_STATE_DISCONNECTED = 1,
  CONNECTION_STATE_CONNECTING = 2,
  CONNECTION_STATE_CONNECTED = 3,
  CONNECTION_STATE_RECONNECTING = 4,
};

}  // namespace rtc
