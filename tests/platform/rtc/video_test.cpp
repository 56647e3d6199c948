// Video: frames fitted on black, mirrored when asked, the test pattern, and the local stream's
// first-frame, size-change, stop and restart callbacks; the screen instead of the camera, its
// region moved while it runs; a capture or a camera's open that waits keeps no call waiting.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "engine_harness.h"
#include "test_pattern.h"
#include "video_frame.h"

namespace {

using rtc_test::EngineHarness;

constexpr uint32_t kBlack = 0xFF000000u;

rtc::VideoFrame TwoColourFrame(int width, int height) {
  // Left half red, right half blue.
  rtc::VideoFrame frame;
  frame.Resize(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      frame.pixels[y * width + x] = x < width / 2 ? 0xFFFF0000u : 0xFF0000FFu;
  }
  return frame;
}

struct Target {
  Target(int w, int h)
      : pixels(static_cast<std::size_t>(w) * h, 0x12345678u), view{pixels.data(), w, h, w} {}
  uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * view.width + x]; }
  std::vector<uint32_t> pixels;
  rtc::PixelTarget view;
};

TEST(DrawFrame, FitShowsTheWholeFrameCentredOnBlack) {
  // 4:3 into 16:9: black bars left and right.
  Target target(320, 180);
  rtc::DrawFrame(TwoColourFrame(640, 480), rtc::RENDER_MODE_FIT, false, target.view);
  EXPECT_EQ(target.At(0, 90), kBlack);
  EXPECT_EQ(target.At(39, 90), kBlack);
  EXPECT_EQ(target.At(40, 0), 0xFFFF0000u);
  EXPECT_EQ(target.At(279, 179), 0xFF0000FFu);
  EXPECT_EQ(target.At(280, 90), kBlack);
  EXPECT_EQ(target.At(319, 90), kBlack);
}

TEST(DrawFrame, FitOfAWideFrameLeavesBarsAboveAndBelow) {
  Target target(200, 200);
  rtc::DrawFrame(TwoColourFrame(400, 200), rtc::RENDER_MODE_FIT, false, target.view);
  EXPECT_EQ(target.At(100, 49), kBlack);
  EXPECT_EQ(target.At(0, 50), 0xFFFF0000u);
  EXPECT_EQ(target.At(199, 149), 0xFF0000FFu);
  EXPECT_EQ(target.At(100, 150), kBlack);
}

TEST(DrawFrame, MirroringSwapsLeftAndRight) {
  Target target(100, 100);
  rtc::DrawFrame(TwoColourFrame(100, 100), rtc::RENDER_MODE_FIT, true, target.view);
  EXPECT_EQ(target.At(0, 50), 0xFF0000FFu);
  EXPECT_EQ(target.At(99, 50), 0xFFFF0000u);
}

TEST(DrawFrame, HiddenFillsTheTargetCroppingTheFrame) {
  Target target(100, 100);
  rtc::DrawFrame(TwoColourFrame(400, 100), rtc::RENDER_MODE_HIDDEN, false, target.view);
  for (int x : {0, 99}) EXPECT_NE(target.At(x, 0), kBlack);
}

TEST(DrawFrame, AnEmptyFrameLeavesTheTargetBlack) {
  Target target(10, 10);
  rtc::DrawFrame(rtc::VideoFrame{}, rtc::RENDER_MODE_FIT, false, target.view);
  EXPECT_EQ(target.At(5, 5), kBlack);
}

TEST(TestPattern, ShowsTheUidAndMovesFromFrameToFrame) {
  rtc::VideoFrame first;
  first.Resize(320, 240);
  rtc::VideoFrame later = first;
  rtc::VideoFrame other = first;
  rtc::DrawTestPattern(2002, 0, first);
  rtc::DrawTestPattern(2002, 5, later);
  rtc::DrawTestPattern(3003, 0, other);
  EXPECT_NE(first.pixels, later.pixels);
  EXPECT_NE(first.pixels, other.pixels);
  EXPECT_NE(rtc::PatternColour(2002), rtc::PatternColour(3003));
  // The digits are white ink in the middle band.
  int ink = 0;
  for (int y = 80; y < 160; ++y) {
    for (int x = 0; x < 320; ++x) ink += first.pixels[y * 320 + x] == 0xFFFFFFFFu ? 1 : 0;
  }
  EXPECT_GT(ink, 100);
  EXPECT_EQ(first.pixels[5 * 320 + 300], rtc::PatternColour(2002));
}

struct LocalVideo : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(harness.Initialize(), 0);
    rtc::VideoCanvas canvas;
    canvas.view = &tile;
    ASSERT_EQ(harness.engine->setupLocalVideo(canvas), 0);
  }
  EngineHarness harness;
  int tile = 0;
};

TEST_F(LocalVideo, NoFramesUntilVideoIsEnabledAndAPreviewOrJoinWantsThem) {
  ASSERT_EQ(harness.engine->startPreview(), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  EXPECT_TRUE(harness.presenter.HasFrame(&tile));
  EXPECT_TRUE(harness.presenter.Mirrored(&tile));
}

TEST_F(LocalVideo, DisableAndEnableStopAndRestartCapture) {
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 42), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  ASSERT_EQ(harness.engine->disableVideo(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("video-stopped"));
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480", 2));
}

TEST_F(LocalVideo, AProfileChangeReportsTheNewSize) {
  ASSERT_EQ(harness.engine->setVideoProfile(rtc::VIDEO_PROFILE_240P, false), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->startPreview(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 320x240"));
  ASSERT_EQ(harness.engine->setVideoProfile(rtc::VIDEO_PROFILE_360P, true), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 360x640"));
  EXPECT_EQ(harness.engine->setVideoProfile(7, false), rtc::ERR_INVALID_ARGUMENT);
}

TEST_F(LocalVideo, ScreenCaptureSendsTheRegionInsteadOfTheCamera) {
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 42), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  rtc::Rect region = rtc_test::ScreenRect(1920, 0, 3840, 1080);
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, &region, 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 1920x1080"));
  ASSERT_EQ(harness.screen_regions.size(), 1u);
  EXPECT_EQ(harness.screen_regions[0].left, 1920);
  EXPECT_EQ(harness.screen_regions[0].right, 3840);
  // Scaled where it is captured, to the profile's size.
  EXPECT_EQ(harness.screen_sizes[0], std::make_pair(640, 480));
  ASSERT_EQ(harness.engine->stopScreenCapture(), 0);
  EXPECT_EQ(harness.engine->stopScreenCapture(), rtc::ERR_REFUSED);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480", 2));
}

TEST_F(LocalVideo, ARegionGivenDuringTheCaptureMovesItWithoutOpeningItAgain) {
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 42), 0);
  rtc::Rect region = rtc_test::ScreenRect(0, 0, 800, 600);
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, &region, 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 800x600"));
  rtc::Rect moved = rtc_test::ScreenRect(300, 200, 1000, 700);
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, &moved, 0), 0);
  ASSERT_EQ(harness.screen_regions.size(), 1u);
  std::optional<rtc::Rect> followed = harness.screen_region->Get();
  ASSERT_TRUE(followed.has_value());
  EXPECT_EQ(followed->left, 300);
  EXPECT_EQ(followed->bottom, 700);
  // Another rate is another capture.
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 5, &moved, 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 700x500"));
  EXPECT_EQ(harness.screen_regions.size(), 2u);
}

TEST_F(LocalVideo, LeavingTheChannelEndsScreenCaptureAndTheNextJoinSendsTheCamera) {
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 42), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, nullptr, 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 1920x1080"));
  ASSERT_EQ(harness.engine->leaveChannel(), 0);
  EXPECT_EQ(harness.engine->stopScreenCapture(), rtc::ERR_REFUSED);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 42), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480", 2));
}

TEST_F(LocalVideo, SelectingACameraEndsScreenCaptureAndTheRestartSendsTheCamera) {
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 42), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, nullptr, 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 1920x1080"));
  // The settings dialog's road: the camera already chosen, then video off and on.
  auto* cameras = harness.Query<rtc::IVideoDeviceManager>(rtc::IID_VIDEO_DEVICE_MANAGER);
  ASSERT_EQ(cameras->setDevice("virtual:test-pattern"), 0);
  cameras->release();
  ASSERT_EQ(harness.engine->disableVideo(), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  EXPECT_EQ(harness.engine->stopScreenCapture(), rtc::ERR_REFUSED);  // nothing left to stop
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480", 2));
  EXPECT_EQ(harness.presenter.Last(&tile).width, 640);
  // Sharing can start again.
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, nullptr, 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 1920x1080", 2));
  EXPECT_EQ(harness.engine->stopScreenCapture(), 0);
}

TEST_F(LocalVideo, AFailedCameraSelectionOrARestartAloneKeepsScreenCapture) {
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 42), 0);
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, nullptr, 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 1920x1080"));
  auto* cameras = harness.Query<rtc::IVideoDeviceManager>(rtc::IID_VIDEO_DEVICE_MANAGER);
  EXPECT_NE(cameras->setDevice("no-such-camera"), 0);
  cameras->release();
  ASSERT_EQ(harness.engine->disableVideo(), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 1920x1080", 2));
  EXPECT_EQ(harness.engine->stopScreenCapture(), 0);
}

TEST_F(LocalVideo, ScreenCaptureChecksItsArguments) {
  rtc::Rect empty;
  EXPECT_EQ(harness.engine->startScreenCapture(nullptr, 15, &empty, 0), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(harness.engine->startScreenCapture(nullptr, 0, nullptr, 0), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(harness.engine->startScreenCapture(nullptr, 16, nullptr, 0), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(harness.engine->startScreenCapture(nullptr, 15, nullptr, 0), 0);
}

}  // namespace

// A screen whose capture waits until the test lets it go.
class GatedScreen : public rtc::VideoSource {
 public:
  explicit GatedScreen(std::shared_future<void> gate, std::shared_ptr<std::atomic<bool>> entered)
      : gate_(std::move(gate)), entered_(std::move(entered)) {}
  bool Capture(int64_t, rtc::VideoFrame& frame) override {
    *entered_ = true;
    gate_.wait();
    frame.Resize(16, 16);
    return true;
  }
  bool IsCamera() const override { return false; }

 private:
  std::shared_future<void> gate_;
  std::shared_ptr<std::atomic<bool>> entered_;
};

TEST(VideoThread, ACaptureThatWaitsHoldsUpNoCallOfTheEngine) {
  std::promise<void> open;
  std::shared_future<void> gate = open.get_future().share();
  auto entered = std::make_shared<std::atomic<bool>>(false);
  EngineHarness harness("{}", rtc::MachineDevices{}, nullptr,
                        [&](const rtc::ScreenRegion&, int, int, int,
                            std::string&) -> std::unique_ptr<rtc::VideoSource> {
                          return std::make_unique<GatedScreen>(gate, entered);
                        });
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->startPreview(), 0);
  ASSERT_EQ(harness.engine->startScreenCapture(nullptr, 15, nullptr, 0), 0);
  ASSERT_TRUE(rtc_test::WaitUntil([&] { return entered->load(); }));
  int tile = 0;
  auto calls = std::async(std::launch::async, [&] {
    rtc::VideoCanvas canvas;
    canvas.view = &tile;
    harness.engine->setupLocalVideo(canvas);
    harness.engine->stopScreenCapture();
  });
  bool returned = calls.wait_for(rtc_test::kWatchdog) == std::future_status::ready;
  open.set_value();
  EXPECT_TRUE(returned);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
}

// A camera's open that waits until the test lets it go (the device, the pipeline's start,
// its first caps) keeps no call of the engine waiting, and its picture comes once it is open.
TEST(VideoThread, ACameraThatIsSlowToOpenHoldsUpNoCallOfTheEngine) {
  std::promise<void> open;
  std::shared_future<void> gate = open.get_future().share();
  std::atomic<bool> entered{false};
  rtc::MachineDevices machine;
  machine.cameras.push_back({"v4l2:usb-1:Slow", "Slow", "/dev/quorvel-slow-camera"});
  EngineHarness harness("{}", machine, nullptr, nullptr, nullptr,
                        [&](const std::string&, int width, int height, rtc::CameraFailed,
                            std::string&) -> std::unique_ptr<rtc::VideoSource> {
                          entered = true;
                          gate.wait();
                          return std::make_unique<rtc::PatternSource>(0, width, height);
                        });
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  int tile = 0;
  auto calls = std::async(std::launch::async, [&] {
    harness.engine->startPreview();
    EXPECT_TRUE(rtc_test::WaitUntil([&] { return entered.load(); }));
    rtc::VideoCanvas canvas;
    canvas.view = &tile;
    harness.engine->setupLocalVideo(canvas);
    harness.engine->setAudioProfile(1, 1);
  });
  bool returned = calls.wait_for(rtc_test::kWatchdog) == std::future_status::ready;
  open.set_value();
  EXPECT_TRUE(returned);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
  EXPECT_TRUE(rtc_test::WaitUntil([&] { return harness.presenter.HasFrame(&tile); }));
}
