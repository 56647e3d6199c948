// The simulated channel: the local join and leave, and remote participants who follow the
// scenario, delivered through the engine's own threads in the order they happened.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine_harness.h"

namespace {

using rtc_test::EngineHarness;

const char* kLessonScenario = R"({
  "scenario": {
    "users": [
      {"uid": 2002, "join_ms": 300, "leave_ms": 2500, "leave_reason": 1,
       "width": 320, "height": 240,
       "size_changes": [{"at_ms": 1200, "width": 640, "height": 360, "rotation": 90}]},
      {"uid": 3003, "join_ms": 600}
    ],
    "network_quality": [
      {"at_ms": 400, "uid": 2002, "tx": 2, "rx": 5},
      {"at_ms": 800, "uid": 0, "tx": 1, "rx": 3},
      {"at_ms": 900, "uid": 4444, "tx": 6, "rx": 6}
    ]
  }
})";

int IndexOf(const std::vector<std::string>& lines, const std::string& prefix) {
  auto it = std::find_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

TEST(ChannelScenario, JoinsDeparturesFramesAndQualityArriveInOrder) {
  EngineHarness harness(kLessonScenario);
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "lesson-7", "{}", 1001), 0);
  ASSERT_TRUE(harness.handler.WaitFor("join lesson-7 1001 0"));

  harness.Advance(700);
  ASSERT_TRUE(harness.handler.WaitFor("user-joined 3003 600"));
  ASSERT_TRUE(harness.handler.WaitFor("remote-decoded 2002 320x240"));
  harness.Advance(600);
  ASSERT_TRUE(harness.handler.WaitFor("size-changed 2002 640x360 90"));
  harness.Advance(1300);
  ASSERT_TRUE(harness.handler.WaitFor("user-offline 2002 1"));

  std::vector<std::string> lines = harness.handler.Lines();
  int join = IndexOf(lines, "join lesson-7");
  int first = IndexOf(lines, "user-joined 2002 300");
  int quality = IndexOf(lines, "quality 2002 2 5");
  int second = IndexOf(lines, "user-joined 3003 600");
  int local_quality = IndexOf(lines, "quality 0 1 3");
  int offline = IndexOf(lines, "user-offline 2002 1");
  ASSERT_NE(first, -1);
  EXPECT_LT(join, first);
  EXPECT_LT(first, quality);
  EXPECT_LT(quality, second);
  EXPECT_LT(second, local_quality);
  EXPECT_LT(local_quality, offline);
  // A quality sample about someone who is not in the channel is not reported.
  EXPECT_EQ(harness.handler.Count("quality 4444"), 0);
  EXPECT_TRUE(harness.handler.WaitFor("local-frame 640x480"));
}

TEST(ChannelScenario, CallbacksRunOnOneEngineThreadNotTheCaller) {
  EngineHarness harness(kLessonScenario);
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->joinChannel("key", "lesson-7", "{}", 1001), 0);
  // Nothing can have arrived inside the call: the handler runs on the callback thread.
  harness.Advance(700);
  ASSERT_TRUE(harness.handler.WaitFor("user-joined 3003"));
  auto threads = harness.handler.Threads();
  ASSERT_FALSE(threads.empty());
  for (auto id : threads) {
    EXPECT_NE(id, std::this_thread::get_id());
    EXPECT_EQ(id, threads.front());
  }
}

TEST(ChannelScenario, WithoutAScenarioOnlyTheLocalParticipantIsThere) {
  EngineHarness harness;
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "empty", "{}", 5), 0);
  ASSERT_TRUE(harness.handler.WaitFor("join empty 5 0"));
  harness.Advance(5000);
  ASSERT_EQ(harness.engine->leaveChannel(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("leave 5s users 1"));
  EXPECT_EQ(harness.handler.Count("user-joined"), 0);
}

TEST(ChannelScenario, LeavingCancelsWhatTheScenarioStillHad) {
  EngineHarness harness(kLessonScenario);
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "lesson-7", "{}", 1001), 0);
  harness.Advance(400);
  ASSERT_TRUE(harness.handler.WaitFor("user-joined 2002"));
  ASSERT_EQ(harness.engine->leaveChannel(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("leave 0s users 2"));
  harness.Advance(3000);
  // A second join starts the scenario from its beginning.
  ASSERT_EQ(harness.engine->joinChannel("", "lesson-8", "{}", 1001), 0);
  harness.Advance(400);
  ASSERT_TRUE(harness.handler.WaitFor("user-joined 2002", 2));
  EXPECT_EQ(harness.handler.Count("user-joined 3003"), 0);
  EXPECT_EQ(harness.handler.Count("user-offline"), 0);
}

TEST(ChannelScenario, JoiningTwiceOrLeavingOutsideAChannelIsRefused) {
  EngineHarness harness;
  EXPECT_EQ(harness.engine->joinChannel("", "c", "{}", 1), rtc::ERR_NOT_INITIALIZED);
  ASSERT_EQ(harness.Initialize(), 0);
  EXPECT_EQ(harness.Initialize(), rtc::ERR_REFUSED);
  EXPECT_EQ(harness.engine->leaveChannel(), rtc::ERR_REFUSED);
  EXPECT_EQ(harness.engine->joinChannel("", "", "{}", 1), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(harness.engine->joinChannel(nullptr, "c", "{}", 1), rtc::ERR_INVALID_ARGUMENT);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 1), 0);
  EXPECT_EQ(harness.engine->joinChannel("", "c", "{}", 1), rtc::ERR_REFUSED);
}

TEST(ChannelScenario, InitialisationNeedsAHandlerButNoParticularId) {
  EngineHarness harness;
  rtc::RtcEngineContext context;
  context.appId = "app";
  EXPECT_EQ(harness.engine->initialize(context), rtc::ERR_INVALID_ARGUMENT);
  context.eventHandler = &harness.handler;
  context.appId = nullptr;
  EXPECT_EQ(harness.engine->initialize(context), rtc::ERR_INVALID_ARGUMENT);
  context.appId = "";
  EXPECT_EQ(harness.engine->initialize(context), 0);
  EXPECT_EQ(harness.engine->joinChannel("", "c", "{}", 1), 0);
}

TEST(ChannelScenario, AZeroUidGetsOneChosenByTheEngine) {
  EngineHarness harness;
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 0), 0);
  ASSERT_TRUE(harness.handler.WaitFor("join c "));
  EXPECT_EQ(harness.handler.Count("join c 0 "), 0);
}

TEST(ChannelScenario, ANetworkLossEndsInARejoin) {
  EngineHarness harness(
      R"({"scenario": {"network_losses": [{"at_ms": 500, "rejoin_after_ms": 700}]}})");
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 9), 0);
  harness.Advance(600);
  ASSERT_TRUE(harness.handler.WaitFor("connection-lost"));
  EXPECT_EQ(harness.handler.Count("rejoin"), 0);
  harness.Advance(600);
  ASSERT_TRUE(harness.handler.WaitFor("rejoin c 9 700"));
}

TEST(ChannelScenario, RemoteParticipantsMuteAndResume) {
  EngineHarness harness(R"({"scenario": {"users": [{"uid": 8, "join_ms": 0, "mutes": [
      {"at_ms": 100, "media": "audio", "muted": true},
      {"at_ms": 200, "media": "video", "muted": true},
      {"at_ms": 300, "media": "video", "muted": false}]}]}})");
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 1), 0);
  harness.Advance(300);
  ASSERT_TRUE(harness.handler.WaitFor("mute-video 8 off"));
  EXPECT_EQ(harness.handler.Matching("mute-"),
            (std::vector<std::string>{"mute-audio 8 on", "mute-video 8 on", "mute-video 8 off"}));
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"scenario": {"users": [{"uid": 8, "join_ms": 0,
      "mutes": [{"at_ms": 1, "media": "screen"}]}]}})")
                .error,
            "config.scenario.users[0].mutes[0].media: is not audio or video");
}

TEST(ChannelScenario, RemoteVideoIsDrawnIntoItsCanvasWithTheRealSize) {
  EngineHarness harness(kLessonScenario);
  ASSERT_EQ(harness.Initialize(), 0);
  int tile = 0;
  rtc::VideoCanvas canvas;
  canvas.view = &tile;
  canvas.uid = 3003;
  ASSERT_EQ(harness.engine->setupRemoteVideo(canvas), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 1001), 0);
  harness.Advance(700);
  ASSERT_TRUE(harness.handler.WaitFor("remote-drawn 3003 640x480"));
  rtc::VideoFrame frame = harness.presenter.Last(&tile);
  EXPECT_EQ(frame.width, 640);
  EXPECT_EQ(frame.height, 480);
  EXPECT_FALSE(harness.presenter.Mirrored(&tile));
  canvas.uid = 0;
  EXPECT_EQ(harness.engine->setupRemoteVideo(canvas), rtc::ERR_INVALID_ARGUMENT);
}

}  // namespace
