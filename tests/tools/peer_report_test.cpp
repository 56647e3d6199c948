#include "tools/peer/peer_report.h"

#include <gtest/gtest.h>

#include "tests/tools/json_text.h"

using testing_support::ParseJson;

namespace {

struct ReportScope {
  int failures_heard = 0;
  PeerReport report{[this] { ++failures_heard; }};
};

}  // namespace

TEST(PeerReport, ALineListsEachRemoteWithItsFieldsInOrder) {
  ReportScope scope;
  PeerReport& report = scope.report;
  EXPECT_EQ(report.NextLine(1),
            R"({"t":1,"joined":false,"connection_lost":0,"remotes":{},"left":{}})");
  report.onJoinChannelSuccess("c", 1001, 0);
  report.onUserJoined(2002, 0);
  report.onFirstRemoteVideoDecoded(2002, 640, 480, 0);
  const rtc::AudioVolumeInfo speakers[] = {{0, 160}, {2002, 120}};
  report.onAudioVolumeIndication(speakers, 2, 160);
  EXPECT_EQ(report.NextLine(2),
            R"({"t":2,"joined":true,"connection_lost":0,"remotes":{"2002":{"frames":0,)"
            R"("width":640,"height":480,)"
            R"("level":120,"muted_audio":false,"muted_video":false}},"left":{}})");
}

TEST(PeerReport, RemotesFollowTheirCallbacks) {
  ReportScope scope;
  PeerReport& report = scope.report;
  report.onUserJoined(2002, 0);
  report.onUserJoined(3003, 0);
  report.onRemoteVideoStats({2002, 20, 640, 480, 500, 15});
  report.NextLine(1);
  report.onVideoSizeChanged(2002, 1280, 720, 0);
  report.onVideoSizeChanged(0, 320, 240, 0);  // the peer's own video
  report.onUserMuteAudio(2002, true);
  report.onUserMuteVideo(3003, true);
  const rtc::AudioVolumeInfo first[] = {{2002, 90}, {3003, 70}};
  report.onAudioVolumeIndication(first, 2, 90);
  const rtc::AudioVolumeInfo second[] = {{3003, 60}};
  report.onAudioVolumeIndication(second, 1, 60);
  Json::Value remotes = ParseJson(report.NextLine(2))["remotes"];

  struct Expected {
    const char* uid;
    int frames, width, height, level;
    bool muted_audio, muted_video;
  };
  const Expected expected[] = {{"2002", 30, 1280, 720, 0, true, false},
                               {"3003", 0, 0, 0, 60, false, true}};
  for (const Expected& e : expected) {
    const Json::Value& remote = remotes[e.uid];
    EXPECT_EQ(remote["frames"].asInt(), e.frames) << e.uid;
    EXPECT_EQ(remote["width"].asInt(), e.width) << e.uid;
    EXPECT_EQ(remote["height"].asInt(), e.height) << e.uid;
    EXPECT_EQ(remote["level"].asInt(), e.level) << e.uid;
    EXPECT_EQ(remote["muted_audio"].asBool(), e.muted_audio) << e.uid;
    EXPECT_EQ(remote["muted_video"].asBool(), e.muted_video) << e.uid;
  }
  EXPECT_EQ(remotes.size(), 2u);

  report.onUserOffline(2002, rtc::USER_OFFLINE_DROPPED);
  Json::Value line = ParseJson(report.NextLine(3));
  EXPECT_EQ(line["remotes"].getMemberNames(), std::vector<std::string>{"3003"});
  EXPECT_EQ(line["left"]["2002"].asInt(), rtc::USER_OFFLINE_DROPPED);
}

TEST(PeerReport, TheFirstFailureIsKeptAndHeardOnce) {
  const std::pair<std::function<void(PeerReport&)>, const char*> failures[] = {
      {[](PeerReport& r) { r.onError(-2, "config.scenario: is missing"); },
       "engine error -2: config.scenario: is missing"},
      {[](PeerReport& r) { r.onError(-1, nullptr); }, "engine error -1"},
      {[](PeerReport& r) { r.onConnectionStateChanged(rtc::CONNECTION_STATE_DISCONNECTED); },
       "engine: disconnected from the channel"},
  };
  for (const auto& [fail, text] : failures) {
    ReportScope scope;
    scope.report.onJoinChannelSuccess("c", 1, 0);
    fail(scope.report);
    scope.report.onError(-5, "later");
    EXPECT_EQ(scope.report.Failure(), text);
    EXPECT_EQ(scope.failures_heard, 1) << text;
  }
}

TEST(PeerReport, ALostConnectionIsNoFailureButLeavesTheChannelUntilTheRejoin) {
  ReportScope scope;
  PeerReport& report = scope.report;
  report.onJoinChannelSuccess("c", 1, 0);
  report.onConnectionStateChanged(rtc::CONNECTION_STATE_RECONNECTING);
  EXPECT_FALSE(ParseJson(report.NextLine(1))["joined"].asBool());
  report.onRejoinChannelSuccess("c", 1, 0);
  EXPECT_TRUE(ParseJson(report.NextLine(2))["joined"].asBool());
  EXPECT_EQ(report.Failure(), std::nullopt);
  EXPECT_EQ(scope.failures_heard, 0);
}

TEST(PeerReport, AnErrorLineCarriesAnyTextAsJson) {
  const std::string text = "login: <html>\n\"Bad gateway\"\t\\ 课程码不存在";
  Json::Value line = ParseJson(ErrorLine(text));
  EXPECT_EQ(line["error"].asString(), text);
  EXPECT_EQ(line.size(), 1u);
}
