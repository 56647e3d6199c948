// The wrapper's device lists: opening, reading, selecting, refreshing and giving them back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "tests/media/mock_engine.h"

namespace {

using media_test::HandOut;
using media_test::MockAudioCollection;
using media_test::MockAudioManager;
using media_test::MockRtcEngine;
using media_test::MockVideoCollection;
using media_test::MockVideoManager;
using ::testing::_;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;

MockRtcEngine* current_engine = nullptr;
rtc::IRtcEngine* TestFactory() { return current_engine; }

// Fills the name and id buffers as the engine does.
auto GivesDevice(const char* name, const char* id) {
  return [name, id](int, char* name_out, char* id_out) {
    std::strcpy(name_out, name);
    std::strcpy(id_out, id);
    return 0;
  };
}

struct DeviceListTest : ::testing::Test {
  DeviceListTest() { current_engine = &engine; }
  ~DeviceListTest() override { current_engine = nullptr; }

  void OfferMicrophones() {
    ON_CALL(engine, queryInterface(rtc::IID_AUDIO_DEVICE_MANAGER, _))
        .WillByDefault(Invoke(HandOut(&audio)));
    ON_CALL(audio, enumerateRecordingDevices()).WillByDefault(Return(&microphones));
    ON_CALL(microphones, getCount()).WillByDefault(Return(2));
  }

  NiceMock<MockRtcEngine> engine;
  NiceMock<MockAudioManager> audio;
  NiceMock<MockAudioCollection> microphones;
  NiceMock<MockVideoManager> video;
  NiceMock<MockVideoCollection> cameras;
  CAGEngineEventHandler bridge;
  std::unique_ptr<MediaEngine> media = std::make_unique<MediaEngine>(TestFactory, bridge);
};

TEST_F(DeviceListTest, AFailedQueryKeepsNothing) {
  EXPECT_CALL(engine, queryInterface(rtc::IID_VIDEO_DEVICE_MANAGER, _)).WillOnce(Return(-1));
  EXPECT_FALSE(media->OpenCameraList());
  EXPECT_EQ(media->CameraCount(), 0);
  EXPECT_EQ(media->RefreshCameras(), nullptr);
  std::wstring name, id;
  EXPECT_FALSE(media->CameraAt(0, name, id));
  EXPECT_EQ(media->CurrentCamera(), L"");
  EXPECT_FALSE(media->SelectCamera(L"x"));
}

TEST_F(DeviceListTest, AManagerWithoutACollectionIsGivenBack) {
  EXPECT_CALL(engine, queryInterface(rtc::IID_VIDEO_DEVICE_MANAGER, _))
      .WillOnce(Invoke(HandOut(&video)));
  EXPECT_CALL(video, enumerateVideoDevices()).WillOnce(Return(nullptr));
  EXPECT_CALL(video, release());
  EXPECT_FALSE(media->OpenCameraList());
}

TEST_F(DeviceListTest, DevicesAreReadAsWideTextAndTheIndexIsChecked) {
  OfferMicrophones();
  ASSERT_TRUE(media->OpenMicrophoneList());
  EXPECT_EQ(media->MicrophoneCount(), 2);
  EXPECT_CALL(microphones, getDevice(1, _, _))
      .WillOnce(Invoke(GivesDevice("Mikrofon \xc3\xa4", "pulse:mic-2")));
  std::wstring name, id;
  ASSERT_TRUE(media->MicrophoneAt(1, name, id));
  EXPECT_EQ(name, L"Mikrofon \u00e4");
  EXPECT_EQ(id, L"pulse:mic-2");
}

TEST_F(DeviceListTest, AnIndexAtTheCountFailsWithoutAskingTheEngine) {
  OfferMicrophones();
  ASSERT_TRUE(media->OpenMicrophoneList());
  EXPECT_CALL(microphones, getDevice(_, _, _)).Times(0);
  std::wstring name, id;
  EXPECT_FALSE(media->MicrophoneAt(2, name, id));
  EXPECT_FALSE(media->MicrophoneAt(-1, name, id));
}

TEST_F(DeviceListTest, SelectingPassesTheIdAsUtf8AndReadsTheCurrentOne) {
  OfferMicrophones();
  ASSERT_TRUE(media->OpenMicrophoneList());
  EXPECT_CALL(audio, setRecordingDevice(StrEq("pulse:\xc3\xa4"))).WillOnce(Return(0));
  EXPECT_TRUE(media->SelectMicrophone(L"pulse:\u00e4"));
  EXPECT_CALL(audio, getRecordingDevice(_)).WillOnce(Invoke([](char* id) {
    std::strcpy(id, "pulse:now");
    return 0;
  }));
  EXPECT_EQ(media->CurrentMicrophone(), L"pulse:now");
}

TEST_F(DeviceListTest, RefreshGivesTheOldCollectionBackFirst) {
  OfferMicrophones();
  ASSERT_TRUE(media->OpenMicrophoneList());
  NiceMock<MockAudioCollection> fresh;
  {
    InSequence order;
    EXPECT_CALL(microphones, release());
    EXPECT_CALL(audio, enumerateRecordingDevices()).WillOnce(Return(&fresh));
  }
  EXPECT_EQ(media->RefreshMicrophones(), &fresh);
  EXPECT_CALL(fresh, release());
  media.reset();
}

TEST_F(DeviceListTest, AtTheEndEachCollectionGoesBeforeItsManagerAndTheEngineLast) {
  OfferMicrophones();
  ON_CALL(engine, queryInterface(rtc::IID_VIDEO_DEVICE_MANAGER, _))
      .WillByDefault(Invoke(HandOut(&video)));
  ON_CALL(video, enumerateVideoDevices()).WillByDefault(Return(&cameras));
  ASSERT_TRUE(media->OpenMicrophoneList());
  ASSERT_TRUE(media->OpenCameraList());
  // The engine goes last, after every interface taken from it.
  ::testing::Sequence camera_list, microphone_list;
  EXPECT_CALL(cameras, release()).InSequence(camera_list);
  EXPECT_CALL(video, release()).InSequence(camera_list);
  EXPECT_CALL(microphones, release()).InSequence(microphone_list);
  EXPECT_CALL(audio, release()).InSequence(microphone_list);
  EXPECT_CALL(engine, release()).InSequence(camera_list, microphone_list);
  media.reset();
}

TEST_F(DeviceListTest, SpeakersComeFromTheirOwnManagerAndPlaybackList) {
  NiceMock<MockAudioManager> playback_manager;
  NiceMock<MockAudioCollection> sinks;
  EXPECT_CALL(engine, queryInterface(rtc::IID_AUDIO_DEVICE_MANAGER, _))
      .WillOnce(Invoke(HandOut(&playback_manager)));
  EXPECT_CALL(playback_manager, enumeratePlaybackDevices()).WillOnce(Return(&sinks));
  EXPECT_TRUE(media->OpenSpeakerList());
  // Nothing else reads the speaker list; it is given back at the end.
  EXPECT_EQ(media->MicrophoneCount(), 0);
  EXPECT_CALL(sinks, release());
  EXPECT_CALL(playback_manager, release());
  media.reset();
}

}  // namespace
