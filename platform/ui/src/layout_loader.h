// Builds a window's control tree from a layout file of the skin.
#pragma once

#include <memory>
#include <string>

#include "ui/ui_manager.h"
#include "skin_archive.h"

namespace ui {

// Reads the layout, applies the Window element's attributes and fonts to manager, and returns
// the root control (null for a missing or unreadable layout). Every problem (missing file,
// malformed XML, unknown element or attribute, bad value, missing image) is reported with
// the file and line; what can be built is built.
std::unique_ptr<CControlUI> LoadLayout(const ResourceLocation& where, const std::wstring& file,
                                       CPaintManagerUI& manager);

}  // namespace ui
