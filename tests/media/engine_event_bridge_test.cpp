// The event bridge: one record per event, posted as 1536 + code, owned by the receiver.
#include "media/engine_event_bridge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "media/engine_events.h"
#include "tests/media/allocation_counter.h"
#include "tests/media/event_window.h"

namespace {

using media_test::EventWindow;

struct BridgeTest : ::testing::Test {
  void SetUp() override {
    ASSERT_NE(window.handle(), nullptr);
    bridge.SetTargetWindow(window.handle());
  }
  void TearDown() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      FreeEngineEvent(message.message, message.wParam);
    }
  }
  // The one message the last callback posted.
  MSG Posted() {
    MSG message{};
    EXPECT_TRUE(EventWindow::Next(message));
    EXPECT_EQ(message.hwnd, window.handle());
    EXPECT_EQ(message.lParam, 0);
    return message;
  }

  EventWindow window;
  CAGEngineEventHandler bridge;
};

TEST_F(BridgeTest, EveryCallbackPostsItsMessageNumber) {
  rtc::RtcStats stats;
  rtc::LocalVideoStats local;
  rtc::RemoteVideoStats remote;
  rtc::AudioVolumeInfo speaker{1, 2};
  std::vector<std::pair<std::function<void()>, UINT>> calls = {
      {[&] { bridge.onJoinChannelSuccess("c", 1, 2); }, 1537},
      {[&] { bridge.onRejoinChannelSuccess("c", 1, 2); }, 1538},
      {[&] { bridge.onError(1, "e"); }, 1539},
      {[&] { bridge.onAudioQuality(1, 2, 3, 4); }, 1540},
      {[&] { bridge.onAudioVolumeIndication(&speaker, 1, 2); }, 1544},
      {[&] { bridge.onLeaveChannel(stats); }, 1545},
      {[&] { bridge.onAudioDeviceStateChanged("d", 1, 1); }, 1548},
      {[&] { bridge.onVideoDeviceStateChanged("d", 3, 8); }, 1563},
      {[&] { bridge.onNetworkQuality(1, 2, 3); }, 1549},
      {[&] { bridge.onLastmileQuality(2); }, 1571},
      {[&] { bridge.onFirstLocalVideoFrame(640, 480, 5); }, 1550},
      {[&] { bridge.onFirstRemoteVideoDecoded(1, 2, 3, 4); }, 1551},
      {[&] { bridge.onVideoSizeChanged(1, 2, 3, 90); }, 1570},
      {[&] { bridge.onFirstRemoteVideoFrame(1, 2, 3, 4); }, 1552},
      {[&] { bridge.onUserJoined(1, 2); }, 1553},
      {[&] { bridge.onUserOffline(1, rtc::USER_OFFLINE_DROPPED); }, 1554},
      {[&] { bridge.onUserMuteAudio(1, true); }, 1555},
      {[&] { bridge.onUserMuteVideo(1, false); }, 1556},
      {[&] { bridge.onLocalVideoStats(local); }, 1558},
      {[&] { bridge.onRemoteVideoStats(remote); }, 1559},
      {[&] { bridge.onCameraReady(); }, 1560},
      {[&] { bridge.onVideoStopped(); }, 1564},
      {[&] { bridge.onConnectionLost(); }, 1561},
      {[&] { bridge.onConnectionStateChanged(3); }, 1567},
      {[&] { bridge.onAudioRouteChanged(0); }, 1547},
      {[&] { bridge.onApiCallExecuted("rtc.log_file", 0); }, 1568},
      {[&] { bridge.onMediaEngineLoadSuccess(); }, 1565},
      {[&] { bridge.onMediaEngineStartCallSuccess(); }, 1566},
  };
  for (auto& [call, number] : calls) {
    call();
    MSG message = Posted();
    EXPECT_EQ(message.message, number);
    EXPECT_TRUE(IsEngineEventMessage(message.message));
    FreeEngineEvent(message.message, message.wParam);
  }
  // The ignored callbacks post nothing.
  bridge.onWarning(1, "w");
  bridge.onRtcStats(stats);
  bridge.onConnectionInterrupted();
  EXPECT_TRUE(EventWindow::QueueIsEmpty());
}

TEST_F(BridgeTest, RecordsCarryTheArgumentsInOrder) {
  bridge.onAudioQuality(7, 3, 40, 2);
  auto audio = AdoptEngineEvent<EID_AUDIO_QUALITY>(Posted().wParam);
  EXPECT_EQ(audio->uid, 7u);
  EXPECT_EQ(audio->quality, 3);
  EXPECT_EQ(audio->delay, 40);
  EXPECT_EQ(audio->lost, 2);

  bridge.onNetworkQuality(0, 2, 5);
  auto quality = AdoptEngineEvent<EID_NETWORK_QUALITY>(Posted().wParam);
  EXPECT_EQ(quality->uid, 0u);
  EXPECT_EQ(quality->tx_quality, 2);
  EXPECT_EQ(quality->rx_quality, 5);

  bridge.onVideoSizeChanged(9, 1280, 720, 270);
  auto size = AdoptEngineEvent<EID_VIDEO_SIZE_CHANGED>(Posted().wParam);
  EXPECT_EQ(size->uid, 9u);
  EXPECT_EQ(size->width, 1280);
  EXPECT_EQ(size->height, 720);
  EXPECT_EQ(size->value, 270);

  bridge.onUserOffline(4, rtc::USER_OFFLINE_DROPPED);
  EXPECT_EQ(AdoptEngineEvent<EID_USER_OFFLINE>(Posted().wParam)->value, 1);

  bridge.onVideoDeviceStateChanged("cam-b", 3, 8);
  auto device = AdoptEngineEvent<EID_VIDEO_DEVICE_STATE>(Posted().wParam);
  EXPECT_STREQ(device->device_id.get(), "cam-b");
  EXPECT_EQ(device->device_type, 3);
  EXPECT_EQ(device->device_state, 8);

  rtc::RtcStats stats;
  stats.duration = 61;
  stats.users = 3;
  bridge.onLeaveChannel(stats);
  auto leave = AdoptEngineEvent<EID_LEAVE_CHANNEL>(Posted().wParam);
  EXPECT_EQ(leave->duration, 61u);
  EXPECT_EQ(leave->users, 3u);
  static_assert(sizeof(rtc::RtcStats) == 12 * 4, "twelve 32-bit values");
}

TEST_F(BridgeTest, ZeroSpeakersGiveCountZeroAndAnEmptyArray) {
  bridge.onAudioVolumeIndication(nullptr, 0, 0);
  auto none = AdoptEngineEvent<EID_AUDIO_VOLUME>(Posted().wParam);
  EXPECT_EQ(none->count, 0u);
  EXPECT_NE(none->speakers, nullptr);

  rtc::AudioVolumeInfo speakers[] = {{0, 10}, {7, 200}};
  bridge.onAudioVolumeIndication(speakers, 2, 200);
  auto two = AdoptEngineEvent<EID_AUDIO_VOLUME>(Posted().wParam);
  ASSERT_EQ(two->count, 2u);
  EXPECT_EQ(two->speakers[1].uid, 7u);
  EXPECT_EQ(two->speakers[1].volume, 200u);
  EXPECT_EQ(two->total_volume, 200);
}

TEST_F(BridgeTest, AnErrorWithoutTextHasANullMessage) {
  bridge.onError(-3, nullptr);
  auto error = AdoptEngineEvent<EID_ERROR>(Posted().wParam);
  EXPECT_EQ(error->code, -3);
  EXPECT_EQ(error->message, nullptr);
  bridge.onError(-1, "camera gone");
  EXPECT_STREQ(AdoptEngineEvent<EID_ERROR>(Posted().wParam)->message.get(), "camera gone");
}

TEST_F(BridgeTest, TheJoinRecordOwnsItsCopyOfTheChannelName) {
  char channel[] = "lesson-2024";
  bridge.onJoinChannelSuccess(channel, 1001, 35);
  std::memset(channel, 'x', sizeof channel - 1);
  auto join = AdoptEngineEvent<EID_JOIN_SUCCESS>(Posted().wParam);
  EXPECT_STREQ(join->channel.get(), "lesson-2024");
  EXPECT_NE(join->channel.get(), channel);
  EXPECT_EQ(join->uid, 1001u);
  EXPECT_EQ(join->elapsed, 35);
}

TEST_F(BridgeTest, ATextLongerThanTheFieldIsCutAt127Bytes) {
  std::string long_text(300, 'k');
  bridge.onApiCallExecuted(long_text.c_str(), -2);
  auto text = AdoptEngineEvent<EID_API_CALL_EXECUTED>(Posted().wParam);
  EXPECT_EQ(std::strlen(text->text), 127u);
  EXPECT_EQ(text->value, -2);
}

TEST_F(BridgeTest, WithoutATargetNothingIsPostedOrAllocated) {
  bridge.SetTargetWindow(nullptr);
  rtc::AudioVolumeInfo speaker{1, 2};
  auto before = media_test::ThreadAllocations();
  bridge.onJoinChannelSuccess("c", 1, 2);
  bridge.onError(1, "text");
  bridge.onAudioVolumeIndication(&speaker, 1, 2);
  bridge.onVideoDeviceStateChanged("d", 3, 1);
  bridge.onLastmileQuality(3);
  bridge.onCameraReady();
  auto after = media_test::ThreadAllocations();
  EXPECT_EQ(after.allocations, before.allocations);
  EXPECT_TRUE(EventWindow::QueueIsEmpty());
}

TEST_F(BridgeTest, ARecordWhosePostFailsIsFreedAgain) {
  window.Destroy();
  auto before = media_test::ThreadAllocations();
  bridge.onJoinChannelSuccess("gone", 1, 2);
  bridge.onError(1, "text");
  auto after = media_test::ThreadAllocations();
  EXPECT_GT(after.allocations, before.allocations);
  EXPECT_EQ(after.allocations - before.allocations, after.frees - before.frees);
}

TEST_F(BridgeTest, OnlyEngineEventNumbersAreFreed) {
  EXPECT_FALSE(IsEngineEventMessage(1536));
  EXPECT_TRUE(IsEngineEventMessage(1537));
  EXPECT_TRUE(IsEngineEventMessage(1571));
  EXPECT_FALSE(IsEngineEventMessage(1572));
  // Not an engine message: the value is not touched (a dangling one would crash here).
  FreeEngineEvent(3027, 0xdeadbeef);
  FreeEngineEvent(EngineEventMessage(EID_CAMERA_READY), 0);
}

}  // namespace
