// The master volume of the default playback device (the server's default sink).
//
// Every call stands alone: it connects to the sound server, finds the default sink, reads or
// sets its volume and disconnects, keeping nothing in between. A missing server or sink is a
// failure, and so is a server that does not answer within the time limit, so that a hung
// server never holds up the calling thread for longer than that. The first call loads the
// server's client library; a program that never calls does not load it at all.
#pragma once

#include <chrono>
#include <string>

namespace audio {

constexpr std::chrono::milliseconds kVolumeCallLimit{2000};

// The level is linear in the server's volume scale: 0.0 silent, 1.0 the sink's normal full
// volume (a sink may be set louder than that). A sink with several channels reads as its
// loudest channel.
struct VolumeResult {
  bool ok = false;
  float level = 0.0f;   // when ok
  std::string failure;  // when not ok: the step that failed and why
};

VolumeResult ReadMasterVolume(std::chrono::milliseconds limit = kVolumeCallLimit);
// Scales every channel so that the loudest one is at level (never below it), keeping the
// balance. A level outside 0.0 to 1.0 (or not a number) is refused without contacting the
// server.
VolumeResult WriteMasterVolume(float level, std::chrono::milliseconds limit = kVolumeCallLimit);

}  // namespace audio
