// The process-wide settings of the library: program instance, resource folder and archive.
#pragma once

#include <windows.h>

#include <string>

#include "skin_archive.h"

namespace ui {

struct LibrarySettings {
  HINSTANCE instance = nullptr;
  std::wstring resource_path;  // with its trailing separator, or empty
  std::wstring resource_zip;
};

LibrarySettings& Settings();
ResourceLocation CurrentSkinLocation();

}  // namespace ui
