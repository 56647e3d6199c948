#include "x11/x11_backend.h"

namespace win::core {

std::unique_ptr<Backend> CreateX11Backend() { return nullptr; }

}  // namespace win::core
