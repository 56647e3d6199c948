// The one table of control kinds that layouts may name.
#pragma once

#include <memory>
#include <string>

#include "duilib/ui_control.h"

namespace DuiLib {

// A new control of the kind an element names ("Button", "VerticalLayout", ...), or null.
std::unique_ptr<CControlUI> CreateControl(const std::wstring& kind);

}  // namespace DuiLib
