// An owned connection to an X display, closed when it goes.
#pragma once

#include <X11/Xlib.h>

#include <memory>

namespace handles {

struct DisplayClose {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

using DisplayPtr = std::unique_ptr<Display, DisplayClose>;

}  // namespace handles
