// Screen sharing and the camera: a selected camera replaces the shared screen, in the wrapper's
// flag and in the built-in engine alike, so the next share starts sharing again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "tests/media/mock_engine.h"
#include "tests/support/scoped_env.h"

namespace {

using media_test::HandOut;
using media_test::MockAudioCollection;
using media_test::MockAudioManager;
using media_test::MockRtcEngine;
using media_test::MockVideoCollection;
using media_test::MockVideoManager;
using ::testing::_;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;

MockRtcEngine* current_engine = nullptr;
rtc::IRtcEngine* TestFactory() { return current_engine; }

struct SharingWithDevices : ::testing::Test {
  SharingWithDevices() {
    current_engine = &engine;
    ON_CALL(engine, queryInterface(rtc::IID_VIDEO_DEVICE_MANAGER, _))
        .WillByDefault(Invoke(HandOut(&video)));
    ON_CALL(video, enumerateVideoDevices()).WillByDefault(Return(&cameras));
    ON_CALL(engine, queryInterface(rtc::IID_AUDIO_DEVICE_MANAGER, _))
        .WillByDefault(Invoke(HandOut(&audio)));
    ON_CALL(audio, enumerateRecordingDevices()).WillByDefault(Return(&microphones));
  }
  ~SharingWithDevices() override { current_engine = nullptr; }

  NiceMock<MockRtcEngine> engine;
  NiceMock<MockVideoManager> video;
  NiceMock<MockVideoCollection> cameras;
  NiceMock<MockAudioManager> audio;
  NiceMock<MockAudioCollection> microphones;
  CAGEngineEventHandler bridge;
  MediaEngine media{TestFactory, bridge};
};

TEST_F(SharingWithDevices, ASelectedCameraEndsSharing) {
  ASSERT_TRUE(media.OpenCameraList());
  EXPECT_CALL(engine, startScreenCapture(_, _, _, _)).WillOnce(Return(0));
  ASSERT_TRUE(media.ShareScreen(nullptr, true));
  ASSERT_TRUE(media.screen_share_on);
  EXPECT_CALL(video, setDevice(StrEq("cam-b"))).WillOnce(Return(0));
  EXPECT_TRUE(media.SelectCamera(L"cam-b"));
  EXPECT_FALSE(media.screen_share_on);
}

TEST_F(SharingWithDevices, ARefusedCameraOrAMicrophoneKeepsSharing) {
  ASSERT_TRUE(media.OpenCameraList());
  ASSERT_TRUE(media.OpenMicrophoneList());
  ASSERT_TRUE(media.ShareScreen(nullptr, true));
  EXPECT_CALL(video, setDevice(_)).WillOnce(Return(rtc::ERR_INVALID_ARGUMENT));
  EXPECT_FALSE(media.SelectCamera(L"gone"));
  EXPECT_TRUE(media.screen_share_on);
  EXPECT_CALL(audio, setRecordingDevice(_)).WillOnce(Return(0));
  EXPECT_TRUE(media.SelectMicrophone(L"mic-b"));
  EXPECT_TRUE(media.screen_share_on);
}

// The settings dialog's camera change on the built-in engine: afterwards the wrapper's flag and
// the engine say the same, and sharing can start again.
TEST(SharingOnTheBuiltInEngine, ACameraChangeEndsSharingInTheWrapperAndTheEngine) {
  testing_support::TempDir folder;
  auto config = folder.path() / "rtc.json";
  std::ofstream(config) << R"({"channel": "simulated", "real_devices": false})";
  testing_support::ScopedEnv env("QUORVEL_RTC_CONFIG", config.string());
  CAGEngineEventHandler bridge;  // no target: the events go nowhere
  MediaEngine media(createRtcEngine, bridge);
  media.Initialize(L"app-id");
  ASSERT_TRUE(media.OpenCameraList());
  ASSERT_TRUE(media.EnableVideo(true));
  ASSERT_TRUE(media.Join(L"lesson", 1001, ""));
  ASSERT_TRUE(media.ShareScreen(nullptr, true));

  ASSERT_EQ(media.SetMirror(1), 0);
  ASSERT_TRUE(media.SelectCamera(media.CurrentCamera()));
  ASSERT_TRUE(media.EnableVideo(false));
  ASSERT_TRUE(media.EnableVideo(true));

  EXPECT_FALSE(media.screen_share_on);
  EXPECT_FALSE(media.ShareScreen(nullptr, false)) << "the engine still captured the screen";
  EXPECT_TRUE(media.ShareScreen(nullptr, true));
  EXPECT_TRUE(media.screen_share_on);
  EXPECT_TRUE(media.ShareScreen(nullptr, false));
  EXPECT_FALSE(media.screen_share_on);
}

}  // namespace
