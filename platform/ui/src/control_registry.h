// The one table of control kinds that layouts may name.
#pragma once

#include <memory>
#include <string>

#include "ui/ui_control.h"

namespace ui {

// A new control of the kind an element names ("Button", "VerticalLayout", ...), or null.
std::unique_ptr<CControlUI> CreateControl(const std::wstring& kind);

}  // namespace ui
