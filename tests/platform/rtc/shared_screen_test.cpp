// The shared screen as a peer of the lesson receives it, on a private Xvfb: another program's
// window at its place in the peer's picture, and at its new place once the region has moved
// and shrunk, the frames scaled to the profile's size where they are captured; the picture
// after the move is saved in screenshots/.
#include <cairo.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "lesson_room.h"
#include "screen_source.h"
#include "tests/platform/win/xvfb_environment.h"
#include "tests/support/needs.h"
// Last: X11's macros (Success, None, Bool) would break the names of the headers above.
#include "coloured_x_window.h"

namespace {

using rtc_test::EngineHarness;

constexpr uint32_t kWindowColour = 0x30C060;

// Each channel within what the video's compression changes of a flat colour.
bool Near(uint32_t pixel, uint32_t colour) {
  for (int shift = 0; shift < 24; shift += 8) {
    int a = static_cast<int>((pixel >> shift) & 0xFF);
    int b = static_cast<int>((colour >> shift) & 0xFF);
    if (std::abs(a - b) > 40) return false;
  }
  return true;
}

bool SavePng(const rtc::VideoFrame& frame, const std::string& path) {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(frame.pixels.data())),
      CAIRO_FORMAT_ARGB32, frame.width, frame.height, frame.width * 4);
  bool saved = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return saved;
}

class SharedScreenTest : public rtc_test::LessonRoomTest {};

TEST_F(SharedScreenTest, APeerSeesAnotherProgramsWindowAtItsPlace) {
  QUORVEL_NEEDS(win_test::XvfbRunning(), win_test::XvfbProblem());
  rtc_test::ColouredXWindow other(300, 200, 200, 100, kWindowColour);
  ASSERT_TRUE(other.shown());
  JoinBoth(std::make_unique<EngineHarness>(R"({"channel": "network", "real_devices": false})",
                                           rtc::MachineDevices{}, nullptr, rtc::OpenScreenSource));
  ASSERT_EQ(own_->engine->enableVideo(), 0);
  // The profile's size, so that the peer's picture maps to the region one to one.
  rtc::Rect region = rtc_test::ScreenRect(100, 100, 740, 580);
  ASSERT_EQ(own_->engine->startScreenCapture(nullptr, 15, &region, 0), 0);
  int tile = 0;
  rtc::VideoCanvas canvas;
  canvas.view = &tile;
  canvas.uid = rtc_test::kOwnUid;
  ASSERT_EQ(peer_->engine->setupRemoteVideo(canvas), 0);

  rtc::VideoFrame seen;
  auto at = [&](int x, int y) {
    return seen.pixels[static_cast<std::size_t>(y - region.top) * seen.width + x - region.left];
  };
  ASSERT_TRUE(RealTimeUntil([&] {
    if (!peer_->presenter.HasFrame(&tile)) return false;
    seen = peer_->presenter.Last(&tile);
    return seen.width == 640 && seen.height == 480 && Near(at(400, 250), kWindowColour);
  }));
  EXPECT_TRUE(Near(at(310, 210), kWindowColour));
  EXPECT_TRUE(Near(at(490, 290), kWindowColour));
  EXPECT_TRUE(Near(at(200, 400), 0x000000));  // the bare screen around it
  EXPECT_FALSE(Near(at(290, 250), kWindowColour));
  EXPECT_FALSE(Near(at(400, 310), kWindowColour));

  // Moved and half as large during the share: the same stream goes on, its frames twice the
  // region's size, the window at twice its size from (200, 100).
  int own_tile = 0;
  canvas.view = &own_tile;
  canvas.uid = 0;
  ASSERT_EQ(own_->engine->setupLocalVideo(canvas), 0);
  rtc::Rect moved = rtc_test::ScreenRect(200, 150, 520, 390);
  ASSERT_EQ(own_->engine->startScreenCapture(nullptr, 15, &moved, 0), 0);
  auto scaled = [&](int x, int y) {
    return seen.pixels[static_cast<std::size_t>(y) * seen.width + x];
  };
  ASSERT_TRUE(RealTimeUntil([&] {
    seen = peer_->presenter.Last(&tile);
    return own_->presenter.HasFrame(&own_tile) && Near(scaled(300, 200), kWindowColour) &&
           Near(scaled(100, 50), 0x000000);
  }));
  mkdir(QUORVEL_SCREENSHOT_DIR, 0755);
  EXPECT_TRUE(SavePng(seen, std::string(QUORVEL_SCREENSHOT_DIR) + "/shared_screen_peer.png"));
  EXPECT_EQ(seen.width, 640);
  EXPECT_EQ(seen.height, 480);
  EXPECT_TRUE(Near(scaled(590, 290), kWindowColour));
  EXPECT_FALSE(Near(scaled(180, 200), kWindowColour));  // left of it
  EXPECT_FALSE(Near(scaled(620, 200), kWindowColour));  // right of it
  EXPECT_FALSE(Near(scaled(300, 320), kWindowColour));  // below it
  rtc::VideoFrame sent = own_->presenter.Last(&own_tile);
  EXPECT_EQ(sent.width, 640);
  EXPECT_EQ(sent.height, 480);
  EXPECT_EQ(peer_->handler.Count("remote-decoded"), 1);
}

}  // namespace
