// Cameras through the media library, with test sources standing in for V4L2 devices (no
// camera and no loopback device here): each offered format decoded at the chosen size, a
// stream that ends reported once, and what cannot be opened or decoded refused with why.
#include "capture_source.h"

#include <gtest/gtest.h>

#include <atomic>

#include "engine_harness.h"

namespace {

// Waits for the camera's next picture; false after the watchdog's time.
bool NextFrame(rtc::VideoSource& camera, rtc::VideoFrame& frame) {
  return rtc_test::WaitUntil([&] { return camera.Capture(0, frame); });
}

bool Reddish(uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) > 200 && ((pixel >> 8) & 0xFF) < 60 && (pixel & 0xFF) < 60;
}

struct Camera {
  const char* what;
  std::string capture;
  int width, height;  // asked for
  int frame_width, frame_height;
};

TEST(CameraSource, EachOfferedFormatGivesPicturesInTheChosenMode) {
  const std::string red = "videotestsrc is-live=true pattern=red ! ";
  const Camera cameras[] = {
      {"YUYV in two sizes",
       red + "capsfilter caps=\"video/x-raw,format=YUY2,width=320,"
             "height=240,framerate=30/1; video/x-raw,format=YUY2,"
             "width=640,height=480,framerate=15/1\"",
       320, 240, 320, 240},
      {"NV12", red + "capsfilter caps=video/x-raw,format=NV12,width=640,height=360,framerate=30/1",
       640, 480, 640, 360},
      {"MJPEG",
       red + "capsfilter caps=video/x-raw,width=1280,height=720,framerate=30/1 ! jpegenc"
             " ! capsfilter caps=image/jpeg,width=1280,height=720,framerate=30/1",
       1280, 720, 1280, 720},
  };
  for (const Camera& camera : cameras) {
    std::string error;
    auto source = rtc::OpenCamera(camera.capture, camera.width, camera.height, nullptr, error);
    ASSERT_NE(source, nullptr) << camera.what << ": " << error;
    rtc::VideoFrame frame;
    ASSERT_TRUE(NextFrame(*source, frame)) << camera.what;
    EXPECT_EQ(frame.width, camera.frame_width) << camera.what;
    EXPECT_EQ(frame.height, camera.frame_height) << camera.what;
    EXPECT_TRUE(Reddish(frame.pixels[frame.pixels.size() / 2]))
        << camera.what << std::hex << " " << frame.pixels[frame.pixels.size() / 2];
  }
}

TEST(CameraSource, AStreamThatEndsIsReportedOnce) {
  std::atomic<int> reports{0};
  std::string why;
  std::string error;
  auto source = rtc::OpenCamera(
      "videotestsrc is-live=true num-buffers=3 ! capsfilter caps=video/x-raw,width=160,height=120",
      160, 120,
      [&](const std::string& reason) {
        why = reason;
        ++reports;
      },
      error);
  ASSERT_NE(source, nullptr) << error;
  rtc::VideoFrame frame;
  ASSERT_TRUE(rtc_test::WaitUntil([&] {
    source->Capture(0, frame);
    return reports > 0;
  }));
  for (int i = 0; i < 5; ++i) source->Capture(0, frame);
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(why, "the camera's stream ended");
}

TEST(CameraSource, WhatCannotBeOpenedOrDecodedIsRefusedWithTheReason) {
  std::string error;
  EXPECT_EQ(rtc::OpenCamera(rtc::V4l2Capture("/dev/quorvel-no-camera"), 640, 480, nullptr, error),
            nullptr);
  EXPECT_EQ(error.rfind("cannot be opened: ", 0), 0u) << error;
  EXPECT_EQ(
      rtc::OpenCamera("videotestsrc ! capsfilter caps=video/x-raw,width=160,height=120 ! vp8enc",
                      160, 120, nullptr, error),
      nullptr);
  EXPECT_EQ(error.rfind("offers no mode that can be decoded: video/x-vp8", 0), 0u) << error;
}

TEST(CameraSource, AMachineCameraThatFailsIsReportedAndLeftOut) {
  rtc::MachineDevices machine;
  machine.cameras.push_back({"v4l2:usb-1:Cam", "Cam", "/dev/quorvel-no-camera"});
  rtc_test::EngineHarness harness("{}", machine);
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->startPreview(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("error -1 camera v4l2:usb-1:Cam: cannot be opened"));
  ASSERT_TRUE(harness.handler.WaitFor("video-device v4l2:usb-1:Cam 3 8"));
  auto* video = harness.Query<rtc::IVideoDeviceManager>(rtc::IID_VIDEO_DEVICE_MANAGER);
  rtc::IVideoDeviceCollection* list = video->enumerateVideoDevices();
  EXPECT_EQ(list->getCount(), 0);
  list->release();
  video->release();
  // Unplugged and plugged again, it is tried once more.
  rtc::MachineDevices without;
  without.microphones.push_back({"pulse:mic", "Mic", "mic"});  // to see the change arrive
  harness.SetMachine(without);
  ASSERT_TRUE(harness.handler.WaitFor("audio-device pulse:mic 1 1"));
  harness.SetMachine(machine);
  ASSERT_TRUE(harness.handler.WaitFor("video-device v4l2:usb-1:Cam 3 1"));
  ASSERT_TRUE(harness.handler.WaitFor("error -1 camera v4l2:usb-1:Cam", 2));
}

}  // namespace
