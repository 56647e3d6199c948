#include <windows.h>

#include <cstdlib>
#include <string_view>

namespace {

// The first of the POSIX locale variables that is set decides, as setlocale() would.
std::string_view UserLocaleName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

}  // namespace

LCID GetUserDefaultLCID() {
  std::string_view name = UserLocaleName();
  // "zh_TW.UTF-8@variant": only language and territory matter.
  name = name.substr(0, name.find_first_of(".@"));
  struct Entry {
    std::string_view name;
    LCID lcid;
  };
  static constexpr Entry kChinese[] = {
      {"zh", 0x0804},    {"zh_CN", 0x0804}, {"zh_TW", 0x0404},
      {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
  };
  for (const Entry& entry : kChinese) {
    if (name == entry.name) return entry.lcid;
  }
  return 0x0409;
}
