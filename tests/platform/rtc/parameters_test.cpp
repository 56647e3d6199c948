// Parameters: kept, read back, and acted on where they mean something.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine_harness.h"
#include "tests/support/scoped_env.h"

namespace {

using rtc_test::EngineHarness;

struct ParameterFixture : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(harness.Initialize(), 0);
    parameters = harness.Query<rtc::IRtcEngineParameter>(rtc::IID_RTC_ENGINE_PARAMETER);
    ASSERT_NE(parameters, nullptr);
  }
  void TearDown() override { parameters->release(); }

  // Joins with volume reports every 100 ms and returns the next report line.
  std::string NextVolumeReport() {
    int before = harness.handler.Count("volume");
    harness.Advance(100);
    EXPECT_TRUE(harness.handler.WaitFor("volume", before + 1));
    return harness.handler.Matching("volume").back();
  }

  EngineHarness harness{R"({"scenario": {"users": [{"uid": 7, "join_ms": 0}]}})"};
  rtc::IRtcEngineParameter* parameters = nullptr;
};

TEST_F(ParameterFixture, AnyParameterIsKeptAndReadBack) {
  ASSERT_EQ(parameters->setInt("custom.number", 12), 0);
  ASSERT_EQ(parameters->setString("custom.text", "abc"), 0);
  ASSERT_EQ(parameters->setParameters(R"({"custom.flag": true})"), 0);
  int number = 0;
  bool flag = false;
  char text[4];
  EXPECT_EQ(parameters->getInt("custom.number", number), 0);
  EXPECT_EQ(number, 12);
  EXPECT_EQ(parameters->getBool("custom.flag", flag), 0);
  EXPECT_TRUE(flag);
  EXPECT_EQ(parameters->getString("custom.text", text, sizeof text), 0);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(parameters->getString("custom.text", text, 3), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(parameters->getInt("never.set", number), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(parameters->setParameters("[1, 2]"), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(parameters->setParameters("{broken"), rtc::ERR_INVALID_ARGUMENT);
}

TEST_F(ParameterFixture, TheMuteTextStopsAndRestartsTheLocalAudio) {
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 1), 0);
  ASSERT_EQ(harness.engine->enableAudioVolumeIndication(100, 3), 0);
  EXPECT_EQ(NextVolumeReport(), "volume 0:160 7:120 total 160");
  ASSERT_EQ(parameters->setParameters(R"({"rtc.audio.mute_me":true,"che.audio.mute_me":true})"), 0);
  EXPECT_EQ(NextVolumeReport(), "volume 0:0 7:120 total 120");
  ASSERT_EQ(parameters->setParameters(R"({"rtc.audio.mute_me":false,"che.audio.mute_me":false})"),
            0);
  EXPECT_EQ(NextVolumeReport(), "volume 0:160 7:120 total 160");
  EXPECT_EQ(parameters->setParameters(R"({"rtc.audio.mute_me":"yes"})"), rtc::ERR_INVALID_ARGUMENT);
}

TEST_F(ParameterFixture, SignalVolumesScaleTheLevels) {
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 1), 0);
  ASSERT_EQ(harness.engine->enableAudioVolumeIndication(100, 3), 0);
  ASSERT_EQ(parameters->setInt("che.audio.playout.signal.volume", 50), 0);
  ASSERT_EQ(parameters->setInt("che.audio.record.signal.volume", 400), 0);
  EXPECT_EQ(NextVolumeReport(), "volume 0:255 7:60 total 255");
  EXPECT_EQ(parameters->setInt("che.audio.playout.signal.volume", 401), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(parameters->setInt("che.audio.record.signal.volume", -1), rtc::ERR_INVALID_ARGUMENT);
  int kept = 0;
  ASSERT_EQ(parameters->getInt("che.audio.playout.signal.volume", kept), 0);
  EXPECT_EQ(kept, 50);
}

TEST_F(ParameterFixture, DisabledAudioSendsNothing) {
  ASSERT_EQ(harness.engine->joinChannel("", "c", "{}", 1), 0);
  ASSERT_EQ(harness.engine->enableAudioVolumeIndication(100, 3), 0);
  ASSERT_EQ(harness.engine->disableAudio(), 0);
  EXPECT_EQ(NextVolumeReport(), "volume 0:0 7:120 total 120");
}

TEST_F(ParameterFixture, TheMirrorSettingKnowsItsThreeValues) {
  int local = 0;
  rtc::VideoCanvas canvas;
  canvas.view = &local;
  ASSERT_EQ(harness.engine->setupLocalVideo(canvas), 0);
  ASSERT_EQ(harness.engine->enableVideo(), 0);
  ASSERT_EQ(harness.engine->startPreview(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("local-frame"));
  EXPECT_TRUE(harness.presenter.Mirrored(&local));
  ASSERT_EQ(parameters->setString("che.video.localViewMirrorSetting", "disableMirror"), 0);
  EXPECT_TRUE(rtc_test::WaitUntil([&] { return !harness.presenter.Mirrored(&local); }));
  ASSERT_EQ(parameters->setString("che.video.localViewMirrorSetting", "forceMirror"), 0);
  EXPECT_TRUE(rtc_test::WaitUntil([&] { return harness.presenter.Mirrored(&local); }));
  EXPECT_EQ(parameters->setString("che.video.localViewMirrorSetting", "sideways"),
            rtc::ERR_INVALID_ARGUMENT);
  char kept[32];
  ASSERT_EQ(parameters->getString("che.video.localViewMirrorSetting", kept, sizeof kept), 0);
  EXPECT_STREQ(kept, "forceMirror");
}

TEST_F(ParameterFixture, TheLogFileReceivesTheEngineLog) {
  testing_support::TempDir folder;
  std::string path = (folder.path() / "MediaEngine.log").string();
  char converted[512];
  ASSERT_EQ(parameters->convertPath(path.c_str(), converted, sizeof converted), 0);
  EXPECT_EQ(std::string(converted), path);
  ASSERT_EQ(parameters->setString("rtc.log_file", converted), 0);
  ASSERT_EQ(harness.engine->joinChannel("", "logged-lesson", "{}", 1), 0);
  ASSERT_TRUE(harness.handler.WaitFor("join logged-lesson"));
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("join channel \"logged-lesson\" as 1"), std::string::npos)
      << text.str();
  EXPECT_NE(text.str().find("event onJoinChannelSuccess"), std::string::npos);
  EXPECT_EQ(parameters->setString("rtc.log_file", (folder.path() / "no/such/dir/x.log").c_str()),
            rtc::ERR_FAILED);
}

TEST_F(ParameterFixture, ConvertPathGivesForwardSlashesAndAnAbsolutePath) {
  char converted[512];
  ASSERT_EQ(parameters->convertPath("/tmp\\quorvel\\x.log", converted, sizeof converted), 0);
  EXPECT_STREQ(converted, "/tmp/quorvel/x.log");
  EXPECT_EQ(parameters->convertPath("", converted, sizeof converted), rtc::ERR_INVALID_ARGUMENT);
  EXPECT_EQ(parameters->convertPath("/a/long/path", converted, 4), rtc::ERR_INVALID_ARGUMENT);
}

}  // namespace
