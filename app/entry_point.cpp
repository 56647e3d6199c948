#include "app/entry_point.h"

#include <cstdio>

#include "app/diagnostics.h"
#include "app/text_conversion.h"
#include "service/data_holder.h"
#include "service/settings_file.h"

// The windows do not exist yet: until they do, the program reports what it has loaded (its
// version, the language from the locale and the settings file) and exits. The settings are
// written back when the data holder is destroyed after this returns.
int QuorvelMain(int, char**) {
  DataHolder& holder = TheDataHolder();
  const LocalSettings& settings = holder.settings();
  DebugPrint(L"Quorvel %s started, language %hs", ProgramVersionText().c_str(),
             holder.GetLanguage().c_str());
  std::printf("Quorvel %s (%s)\n", holder.app_info().current_version.c_str(),
              holder.chinese_ui ? "Chinese" : "English");
  std::printf("settings file: %s\n", SettingsFilePath().c_str());
  std::printf("  app_id \"%s\", profile %d, volume %d, mirror_mode %s, hotkey \"%s\"\n",
              settings.app_id.c_str(), holder.lesson().video_profile, settings.volume,
              settings.mirror_mode ? "true" : "false", settings.hotkey.c_str());
  std::printf("The lesson windows are not built yet; nothing more to show.\n");
  return 0;
}
