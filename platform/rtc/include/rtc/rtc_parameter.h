// The engine's parameter store (queryInterface id 3): named values the engine keeps and acts on.
//
// Parameters that change the engine's behaviour:
//   "rtc.log_file" (string)                      the engine writes its log to that file
//   "rtc.audio.mute_me", "che.audio.mute_me"     true stops sending local audio, false resumes
//   "che.video.localViewMirrorSetting" (string)  "default" or "forceMirror" mirror the local
//                                                view, "disableMirror" does not
//   "che.audio.playout.signal.volume" (int)      0..400 percent applied to remote audio levels
//   "che.audio.record.signal.volume" (int)       0..400 percent applied to the local level
// Any other name is stored and can be read back.
#pragma once

#include <cstddef>

#include "rtc/rtc_base.h"

namespace rtc {

class IRtcEngineParameter {
 public:
  virtual int setBool(const char* key, bool value) = 0;
  virtual int setInt(const char* key, int value) = 0;
  virtual int setString(const char* key, const char* value) = 0;
  // A JSON object; each member is set as if by the setter of its type.
  virtual int setParameters(const char* json) = 0;

  virtual int getBool(const char* key, bool& value) = 0;
  virtual int getInt(const char* key, int& value) = 0;
  // Copies the text, NUL-terminated, into buffer; ERR_INVALID_ARGUMENT when it does not fit.
  virtual int getString(const char* key, char* buffer, std::size_t size) = 0;

  // The path in the engine's own form (absolute, with forward slashes) into buffer.
  virtual int convertPath(const char* path, char* buffer, std::size_t size) = 0;
  virtual void release() = 0;

 protected:
  virtual ~IRtcEngineParameter() = default;
};

}  // namespace rtc
