// Any bytes as app.conf, loaded the way the program loads it (a data holder reading the file
// of the user's configuration folder). Beyond the sanitizers, it checks what loading
// promises: the defaults for a missing volume and hotkey, and that what was loaded, once
// saved, reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/support/fuzz_support.h"
#include "service/data_holder.h"

namespace {

using fuzz_support::Require;

std::string settings_path;

struct Values {
  std::string app_id;
  int32_t profile;
  int32_t volume;
  bool mirror_mode;
  std::string hotkey;

  bool operator==(const Values& other) const {
    return app_id == other.app_id && profile == other.profile && volume == other.volume &&
           mirror_mode == other.mirror_mode && hotkey == other.hotkey;
  }
};

Values ValuesOf(DataHolder& holder) {
  return {holder.settings().app_id, holder.lesson().video_profile, holder.settings().volume,
          holder.settings().mirror_mode, holder.settings().hotkey};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string folder = fuzz_support::ScratchFolder();
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  setenv("LC_ALL", "en_US.UTF-8", 1);
  settings_path = folder + "/Quorvel/app.conf";
  { DataHolder creates_the_folder; }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::WriteFileBytes(settings_path, reinterpret_cast<const char*>(data), size);
  Values loaded;
  {
    DataHolder holder;  // loads the file, and saves it when destroyed
    loaded = ValuesOf(holder);
    Require(loaded.volume != 0 && !loaded.hotkey.empty());
  }
  DataHolder again;
  Require(ValuesOf(again) == loaded);
  return 0;
}
