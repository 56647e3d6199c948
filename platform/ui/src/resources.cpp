#include "resources.h"

namespace ui {

LibrarySettings& Settings() {
  static LibrarySettings settings;
  return settings;
}

ResourceLocation CurrentSkinLocation() {
  return ResourceLocation{Settings().resource_path, Settings().resource_zip};
}

}  // namespace ui
