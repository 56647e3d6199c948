// Every record the bridge posts to the meeting view is freed, whether the view acts on it or
// not: the user-interface thread's allocations and frees balance over a round of events.
#include <ui/ui_test_driver.h>

#include "tests/classroom/meeting_view_fixture.h"
#include "tests/media/allocation_counter.h"

namespace meeting_test {
namespace {

class RecordTest : public MockedMeetingViewTest {
 protected:
  // Events that leave nothing behind in the view: ignored codes, and users of no role.
  void OneRound() {
    const rtc::AudioVolumeInfo speakers[2] = {{1, 10}, {2, 20}};
    bridge_.onError(rtc::ERR_FAILED, "capture failed");
    bridge_.onRejoinChannelSuccess("lesson", 5, 1);
    bridge_.onAudioVolumeIndication(speakers, 2, 30);
    bridge_.onAudioQuality(5, 1, 2, 3);
    bridge_.onApiCallExecuted("setParameters", 0);
    bridge_.onLocalVideoStats(rtc::LocalVideoStats{});
    bridge_.onRemoteVideoStats(rtc::RemoteVideoStats{});
    bridge_.onUserMuteAudio(5, true);
    bridge_.onConnectionStateChanged(3);
    bridge_.onLastmileQuality(2);
    bridge_.onUserJoined(987654, 1);
    bridge_.onFirstRemoteVideoDecoded(987654, 640, 480, 1);
    bridge_.onFirstRemoteVideoFrame(987654, 640, 480, 1);
    bridge_.onVideoSizeChanged(0, 640, 480, 0);
    bridge_.onNetworkQuality(987654, 1, 2);
    bridge_.onUserOffline(987654, rtc::USER_OFFLINE_DROPPED);
    bridge_.onCameraReady();
    ui::CUiDriver::Pump();
  }
};

TEST_P(RecordTest, EveryRecordOfARoundIsFreed) {
  LogIn(Role::Teacher);
  meeting().Enter();
  OneRound();  // the queue and the caches take what they keep here
  const media_test::AllocationCount before = media_test::ThreadAllocations();
  OneRound();
  const media_test::AllocationCount after = media_test::ThreadAllocations();
  EXPECT_GT(after.allocations - before.allocations, 0);
  EXPECT_EQ(after.allocations - before.allocations, after.frees - before.frees);
}

// The sanitizer build's leak check tells whether these were freed.
TEST_P(RecordTest, RecordsStillQueuedWhenTheViewGoesAreFreedWithIt) {
  LogIn(Role::Teacher);
  meeting().Enter();
  bridge_.onUserJoined(static_cast<rtc::uid_t>(uids().student), 1);
  bridge_.onNetworkQuality(0, 1, 1);
  bridge_.onLeaveChannel(rtc::RtcStats{});
  bridge_.onError(17, "refused");
  const HWND window = view();
  view_.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(bridge_.TargetWindow(), nullptr);
  MSG left{};
  EXPECT_FALSE(PeekMessageW(&left, window, 0, 0, PM_REMOVE));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, RecordTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
}  // namespace meeting_test
