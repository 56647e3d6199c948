// A camera's mode: the offered caps as modes, and the mode chosen for a profile.
#include "camera_mode.h"

#include <gtest/gtest.h>

#include "camera_caps.h"
#include "net/gst_handles.h"

namespace {

using rtc::CameraMode;

CameraMode Raw(const char* format, int w, int h, int fps) {
  return {"video/x-raw", format, w, h, fps, 1};
}
CameraMode Jpeg(int w, int h, int fps) { return {"image/jpeg", "", w, h, fps, 1}; }

struct Choice {
  const char* what;
  std::vector<CameraMode> offered;
  int width, height;
  std::optional<CameraMode> chosen;
};

TEST(CameraMode, TheModeClosestToTheProfileIsChosen) {
  const Choice choices[] = {
      {"the exact size",
       {Raw("YUY2", 320, 240, 30), Raw("YUY2", 640, 480, 30)},
       640,
       480,
       Raw("YUY2", 640, 480, 30)},
      {"the nearest size",
       {Raw("YUY2", 352, 288, 30), Raw("YUY2", 1280, 720, 30)},
       320,
       240,
       Raw("YUY2", 352, 288, 30)},
      {"a rate that reaches 15 over a faster one",
       {Raw("YUY2", 640, 480, 30), Raw("YUY2", 640, 480, 15)},
       640,
       480,
       Raw("YUY2", 640, 480, 15)},
      {"compressed at full rate over raw too slow",
       {Raw("YUY2", 1280, 720, 5), Jpeg(1280, 720, 30)},
       1280,
       720,
       Jpeg(1280, 720, 30)},
      {"the fastest when none reaches 15",
       {Raw("NV12", 640, 480, 5), Raw("NV12", 640, 480, 10)},
       640,
       480,
       Raw("NV12", 640, 480, 10)},
      {"raw before compressed at the same size and rate",
       {Jpeg(640, 480, 30), Raw("NV12", 640, 480, 30)},
       640,
       480,
       Raw("NV12", 640, 480, 30)},
      {"what cannot be decoded is passed over",
       {{"video/x-h264", "", 640, 480, 30, 1}, Jpeg(320, 240, 30)},
       640,
       480,
       Jpeg(320, 240, 30)},
      {"nothing from nothing", {}, 640, 480, std::nullopt},
  };
  for (const Choice& choice : choices) {
    EXPECT_EQ(rtc::ChooseCameraMode(choice.offered, choice.width, choice.height, 15), choice.chosen)
        << choice.what;
  }
}

struct Offer {
  const char* caps;
  std::vector<CameraMode> modes;
};

TEST(CameraMode, OfferedCapsGiveEveryModeWithRangesHeldToTheWantedOne) {
  rtc::EnsureGstStarted();
  const Offer offers[] = {
      {"video/x-raw,format=YUY2,width=640,height=480,framerate={ 30/1, 15/1 }",
       {Raw("YUY2", 640, 480, 30), Raw("YUY2", 640, 480, 15)}},
      {"image/jpeg,width=1280,height=720,framerate=30/1; video/x-raw,format={ NV12, YUY2 },"
       "width=320,height=240,framerate=10/1",
       {Jpeg(1280, 720, 30), Raw("NV12", 320, 240, 10), Raw("YUY2", 320, 240, 10)}},
      {"video/x-raw,format=I420,width=[ 1, 4096 ],height=[ 1, 400 ],framerate=[ 0/1, 60/1 ]",
       {Raw("I420", 640, 400, 15)}},
  };
  for (const Offer& offer : offers) {
    rtc::GstCapsPtr caps(gst_caps_from_string(offer.caps));
    EXPECT_EQ(rtc::ModesOfCaps(caps.get(), 640, 480, 15), offer.modes) << offer.caps;
  }
}

}  // namespace
