// Reading layouts and images from the skin: a zip archive in the resource folder, or the
// folder itself when no archive is set.
#pragma once

#include <optional>
#include <string>

namespace ui {

struct ResourceLocation {
  std::wstring folder;   // ends with a separator, or is empty
  std::wstring archive;  // file name inside folder; empty means plain files
};

struct ResourceData {
  std::string bytes;
  std::wstring error;  // set when bytes could not be read: names the archive or file
  bool ok() const { return error.empty(); }
};

// Reads one entry of the skin. A missing archive or entry is an error value, never a throw.
ResourceData ReadSkinFile(const ResourceLocation& where, const std::wstring& name);

}  // namespace ui
