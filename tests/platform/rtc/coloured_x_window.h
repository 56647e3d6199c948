// A window of another X client, unmanaged and filled with one colour, for what the shared
// screen shows of other programs.
#pragma once

#include <gtest/gtest.h>
// X11 after the test framework: its macros (None, Bool) would break the framework's names.
#include <X11/Xlib.h>

#include <memory>

namespace rtc_test {

class ColouredXWindow {
 public:
  // colour: 0xRRGGBB on the default visual of depth 24.
  ColouredXWindow(int x, int y, int width, int height, unsigned long colour)
      : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = colour;
    Window window = XCreateWindow(display_.get(), DefaultRootWindow(display_.get()), x, y, width,
                                  height, 0, CopyFromParent, InputOutput, CopyFromParent,
                                  CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display_.get(), window);
    XSync(display_.get(), False);
  }
  bool shown() const { return display_ != nullptr; }

 private:
  struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
  };
  std::unique_ptr<Display, DisplayClose> display_;  // the window goes with its connection
};

}  // namespace rtc_test
