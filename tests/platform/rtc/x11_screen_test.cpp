// The shared screen under X11: the X server's picture of the region, with another program's
// window at its place and the pointer, on a private Xvfb; the region moved and resized while
// it is captured, scaled to the asked-for size.
#include <gtest/gtest.h>

#include "coloured_x_window.h"
#include "engine_harness.h"
#include "screen_source.h"
#include "tests/platform/win/xvfb_environment.h"
#include "tests/support/needs.h"

namespace {

constexpr uint32_t kGreen = 0xFF30C060u;

// Another program's window from (300, 200) to (500, 300), and the region around it.
struct XScreen : ::testing::Test {
  void SetUp() override {
    QUORVEL_NEEDS(win_test::XvfbRunning(), win_test::XvfbProblem());
    ASSERT_TRUE(other.shown());
  }
  std::unique_ptr<rtc::VideoSource> Open(int width, int height) {
    std::string note;
    auto screen = rtc::OpenScreenSource(shared, 15, width, height, note);
    EXPECT_EQ(note, "");
    return screen;
  }
  rtc_test::ColouredXWindow other{300, 200, 200, 100, kGreen & 0xFFFFFFu};
  rtc::Rect region = rtc_test::ScreenRect(100, 100, 740, 580);
  rtc::ScreenRegion shared{&region};
};

TEST_F(XScreen, AnotherProgramsWindowIsSharedAtItsPlace) {
  auto screen = Open(640, 480);
  EXPECT_FALSE(screen->IsCamera());
  rtc::VideoFrame frame;
  auto at = [&](int x, int y) {
    return frame.pixels[static_cast<std::size_t>(y - region.top) * frame.width + x - region.left];
  };
  // The window's middle, in screen coordinates, as the region's frame shows it.
  ASSERT_TRUE(
      rtc_test::WaitUntil([&] { return screen->Capture(0, frame) && at(400, 250) == kGreen; }));
  EXPECT_EQ(frame.width, 640);
  EXPECT_EQ(frame.height, 480);
  EXPECT_EQ(at(301, 201), kGreen);
  EXPECT_EQ(at(498, 298), kGreen);
  EXPECT_NE(at(298, 250), kGreen);
  EXPECT_NE(at(400, 302), kGreen);
  // The pointer, which the server keeps in the middle of its 1280 x 800 screen, is drawn.
  int bright = 0;
  for (int y = 392; y < 408; ++y) {
    for (int x = 632; x < 648; ++x) bright += (at(x, y) & 0xFFFFFF) == 0xFFFFFF ? 1 : 0;
  }
  EXPECT_GT(bright, 0);
}

TEST_F(XScreen, AMovedOrResizedRegionShowsTheWindowAtItsNewPlaceInFramesOfTheAskedSize) {
  auto screen = Open(320, 240);
  rtc::VideoFrame frame;
  auto at = [&](int x, int y) {
    return frame.pixels[static_cast<std::size_t>(y) * frame.width + x];
  };
  struct Case {
    rtc::Rect region;
    int inside_x, inside_y;    // in the frame: within the window, away from its edges
    int outside_x, outside_y;  // left of it
  };
  const Case cases[] = {
      // Half the size: the window's middle (400, 250) at (150, 75).
      {rtc_test::ScreenRect(100, 100, 740, 580), 150, 75, 45, 75},
      // Moved and a little larger, the same shape: at 0.4 of the size from (200, 150).
      {rtc_test::ScreenRect(200, 150, 1000, 750), 80, 40, 35, 40},
      // The whole 16:10 screen in 4:3: a quarter of the size, 20 rows of border above.
      {rtc_test::ScreenRect(0, 0, 1280, 800), 100, 82, 70, 82},
  };
  for (const Case& c : cases) {
    shared.Set(&c.region);
    EXPECT_TRUE(rtc_test::WaitUntil([&] {
      return screen->Capture(0, frame) && at(c.inside_x, c.inside_y) == kGreen &&
             at(c.outside_x, c.outside_y) != kGreen;
    })) << "region from "
        << c.region.left << ", " << c.region.top;
    EXPECT_EQ(frame.width, 320);
    EXPECT_EQ(frame.height, 240);
  }
  // The border of the whole screen's picture is black.
  EXPECT_EQ(at(160, 5) & 0xFFFFFFu, 0u);
}

}  // namespace
