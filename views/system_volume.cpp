#include "views/system_volume.h"

#include <audio/master_volume.h>

#include <algorithm>

int GetSystemVolume() {
  const audio::VolumeResult result = audio::ReadMasterVolume();
  if (!result.ok) return -1;
  // A sink set louder than full reads as full: the level is a percent of it.
  return static_cast<int>(std::min(result.level, 1.0f) * 100.0f);
}

int SetSystemVolume(int percent) {
  const float level = static_cast<float>(percent / 100.0);
  return audio::WriteMasterVolume(level).ok ? 0 : -1;
}
