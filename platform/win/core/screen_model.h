// The monitors as the backend reports them, with the primary one first.
#pragma once

#include <vector>

#include "core/backend.h"

namespace win::core {

std::vector<MonitorArea> Monitors();
MonitorArea PrimaryMonitor();

}  // namespace win::core
