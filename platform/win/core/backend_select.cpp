#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/backend.h"
#include "headless/headless_backend.h"
#include "x11/x11_backend.h"

namespace win::core {

namespace {

std::unique_ptr<Backend> ChooseBackend() {
  const char* headless = std::getenv("QUORVEL_HEADLESS");
  const char* display = std::getenv("DISPLAY");
  bool want_headless = (headless != nullptr && std::strcmp(headless, "1") == 0) ||
                       display == nullptr || *display == '\0';
  if (!want_headless) {
    if (auto x11 = CreateX11Backend()) return x11;
  }
  return std::make_unique<HeadlessBackend>();
}

}  // namespace

Backend& TheBackend() {
  // Lives for the process: threads may still post while it exits.
  static Backend* backend = ChooseBackend().release();
  return *backend;
}

}  // namespace win::core
