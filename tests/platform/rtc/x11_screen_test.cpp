// The shared screen under X11: the X server's picture of the region, with another program's
// window at its place and the pointer, on a private Xvfb.
#include <gtest/gtest.h>

#include "coloured_x_window.h"
#include "engine_harness.h"
#include "screen_source.h"
#include "tests/platform/win/xvfb_environment.h"
#include "tests/support/needs.h"

namespace {

TEST(XScreen, AnotherProgramsWindowIsSharedAtItsPlace) {
  QUORVEL_NEEDS(win_test::XvfbRunning(), win_test::XvfbProblem());
  rtc_test::ColouredXWindow other(300, 200, 200, 100, 0x30C060);
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
  // The pointer, which the server keeps in the middle of its 1280 x 800 screen, is drawn.
  int bright = 0;
  for (int y = 392; y < 408; ++y) {
    for (int x = 632; x < 648; ++x) bright += (at(x, y) & 0xFFFFFF) == 0xFFFFFF ? 1 : 0;
  }
  EXPECT_GT(bright, 0);
}

}  // namespace
