// The X11 backend: real windows mirroring the model's top-level windows.
#pragma once

#include <memory>

#include "core/backend.h"

namespace win::core {

// Null when the display cannot be opened (the headless backend is used then).
std::unique_ptr<Backend> CreateX11Backend();

}  // namespace win::core
