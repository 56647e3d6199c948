// The shared screen under X11: the X server's picture of the region, with another program's
// window at its place, on a private Xvfb.
#include <gtest/gtest.h>
// X11 after the test framework: its macros (None, Bool) would break the framework's names.
#include <X11/Xlib.h>

#include <memory>

#include "engine_harness.h"
#include "screen_source.h"
#include "tests/platform/win/xvfb_environment.h"

namespace {

struct DisplayClose {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

// A window of another client, unmanaged, filled with one colour.
class ColouredWindow {
 public:
  ColouredWindow(int x, int y, int width, int height, unsigned long colour)
      : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = colour;
    window_ = XCreateWindow(display_.get(), DefaultRootWindow(display_.get()), x, y, width,
                            height, 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display_.get(), window_);
    XSync(display_.get(), False);
  }
  bool shown() const { return display_ != nullptr; }

 private:
  std::unique_ptr<Display, DisplayClose> display_;
  Window window_ = 0;
};

TEST(XScreen, AnotherProgramsWindowIsSharedAtItsPlace) {
  if (!win_test::XvfbRunning()) GTEST_SKIP() << "Xvfb is not installed";
  ColouredWindow other(300, 200, 200, 100, 0x30C060);
  ASSERT_TRUE(other.shown());
  rtc::Rect region = rtc_test::ScreenRect(100, 100, 740, 580);
  std::string note;
  auto screen = rtc::OpenScreenSource(&region, 15, note);
  EXPECT_EQ(note, "");
  EXPECT_FALSE(screen->IsCamera());
  rtc::VideoFrame frame;
  auto at = [&](int x, int y) {
    return frame.pixels[static_cast<std::size_t>(y - region.top) * frame.width + x - region.left];
  };
  // The window's middle, in screen coordinates, as the region's frame shows it.
  ASSERT_TRUE(rtc_test::WaitUntil(
      [&] { return screen->Capture(0, frame) && at(400, 250) == 0xFF30C060u; }));
  EXPECT_EQ(frame.width, 640);
  EXPECT_EQ(frame.height, 480);
  EXPECT_EQ(at(301, 201), 0xFF30C060u);
  EXPECT_EQ(at(498, 298), 0xFF30C060u);
  EXPECT_NE(at(298, 250), 0xFF30C060u);
  EXPECT_NE(at(400, 302), 0xFF30C060u);
}

}  // namespace
