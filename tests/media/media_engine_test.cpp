// The media engine wrapper: what it passes to the engine and how results change its state.
#include "media/media_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "media/engine_event_bridge.h"
#include "tests/media/mock_engine.h"

namespace {

using media_test::HandOut;
using media_test::MockParameter;
using media_test::MockRtcEngine;
using ::testing::_;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::IsNull;
using ::testing::NiceMock;
using ::testing::Pointee;
using ::testing::Return;
using ::testing::StrEq;

// The factory hands out the current test's engine and counts its calls.
MockRtcEngine* current_engine = nullptr;
int factory_calls = 0;
rtc::IRtcEngine* TestFactory() {
  ++factory_calls;
  return current_engine;
}

struct MediaEngineTest : ::testing::Test {
  MediaEngineTest() {
    current_engine = &engine;
    factory_calls = 0;
  }
  ~MediaEngineTest() override { current_engine = nullptr; }

  // Parameter queries give the mock parameter interface, which must be released each time.
  void ExpectParameters(int uses) {
    EXPECT_CALL(engine, queryInterface(rtc::IID_RTC_ENGINE_PARAMETER, _))
        .Times(uses)
        .WillRepeatedly(Invoke(HandOut(&parameters)));
    EXPECT_CALL(parameters, release()).Times(uses);
  }

  NiceMock<MockRtcEngine> engine;
  MockParameter parameters;
  CAGEngineEventHandler bridge;
  MediaEngine media{TestFactory, bridge};
};

TEST_F(MediaEngineTest, WithoutAnIdTheEngineIsCreatedOnceAndNotInitialised) {
  EXPECT_CALL(engine, initialize(_)).Times(0);
  EXPECT_EQ(media.Engine(), &engine);
  EXPECT_EQ(media.Engine(), &engine);
  EXPECT_EQ(factory_calls, 1);
  EXPECT_TRUE(media.engine_app_id.empty());
  EXPECT_TRUE(media.audio_enabled);
  EXPECT_FALSE(media.video_enabled);
}

TEST_F(MediaEngineTest, InitialisingGivesTheBridgeAndTheId) {
  EXPECT_CALL(engine,
              initialize(::testing::AllOf(Field(&rtc::RtcEngineContext::eventHandler, &bridge),
                                          Field(&rtc::RtcEngineContext::appId, StrEq("app-0123")))))
      .WillOnce(Return(-1));  // not looked at
  media.Initialize(L"app-0123");
  EXPECT_EQ(media.engine_app_id, L"app-0123");
}

TEST_F(MediaEngineTest, TheProcessWideObjectIsOneAndHasARealEngine) {
  MediaEngine& first = MediaEngine::Instance();
  EXPECT_EQ(&first, &MediaEngine::Instance());
  EXPECT_NE(first.Engine(), nullptr);
  EXPECT_TRUE(first.engine_app_id.empty());
}

TEST_F(MediaEngineTest, AJoinWithAnEmptyKeyPassesAnEmptyText) {
  EXPECT_CALL(engine,
              joinChannel(StrEq(""), StrEq("lesson-42"),
                          StrEq(R"({"owner":true,"width":640,"height":480,"bitrate":500})"), 7u))
      .WillOnce(Return(0));
  EXPECT_TRUE(media.Join(L"lesson-42", 7, ""));
  EXPECT_EQ(media.channel_name, L"lesson-42");
}

TEST_F(MediaEngineTest, AFailedJoinKeepsTheLastChannel) {
  EXPECT_CALL(engine, joinChannel(_, _, _, _)).WillOnce(Return(0)).WillOnce(Return(-5));
  ASSERT_TRUE(media.Join(L"first", 1, "key"));
  EXPECT_FALSE(media.Join(L"second", 1, "key"));
  EXPECT_EQ(media.channel_name, L"first");
}

TEST_F(MediaEngineTest, ALongChannelNameIsCutTo127Bytes) {
  std::wstring name(200, L'c');
  EXPECT_CALL(
      engine,
      joinChannel(_, ::testing::Truly([](const char* text) { return std::strlen(text) == 127; }), _,
                  _))
      .WillOnce(Return(0));
  EXPECT_TRUE(media.Join(name, 1, ""));
}

TEST_F(MediaEngineTest, TheScreenRegionReachesTheEngineInItsFieldOrder) {
  RECT region{1920, 0, 3840, 1080};  // left, top, right, bottom
  EXPECT_CALL(engine, startScreenCapture(
                          IsNull(), 15,
                          Pointee(::testing::AllOf(
                              Field(&rtc::Rect::top, 0), Field(&rtc::Rect::left, 1920),
                              Field(&rtc::Rect::bottom, 1080), Field(&rtc::Rect::right, 3840))),
                          0))
      .WillOnce(Return(0));
  EXPECT_TRUE(media.ShareScreen(&region, true));
  EXPECT_TRUE(media.screen_share_on);
}

TEST_F(MediaEngineTest, SharingWithoutARegionPassesNoRectangle) {
  EXPECT_CALL(engine, startScreenCapture(IsNull(), 15, IsNull(), 0)).WillOnce(Return(0));
  EXPECT_TRUE(media.ShareScreen(nullptr, true));
}

TEST_F(MediaEngineTest, AFailedStopOnlyStopsAndKeepsSharingOn) {
  EXPECT_CALL(engine, startScreenCapture(_, _, _, _)).WillOnce(Return(0));
  ASSERT_TRUE(media.ShareScreen(nullptr, true));
  EXPECT_CALL(engine, startScreenCapture(_, _, _, _)).Times(0);
  EXPECT_CALL(engine, stopScreenCapture()).WillOnce(Return(-1));
  EXPECT_FALSE(media.ShareScreen(nullptr, false));
  EXPECT_TRUE(media.screen_share_on);
}

TEST_F(MediaEngineTest, MutingSendsTheMuteTextAndUnmutingTheSameWithFalse) {
  ExpectParameters(2);
  {
    InSequence order;
    EXPECT_CALL(parameters,
                setParameters(StrEq(R"({"rtc.audio.mute_me":true,"che.audio.mute_me":true})")))
        .WillOnce(Return(0));
    EXPECT_CALL(parameters,
                setParameters(StrEq(R"({"rtc.audio.mute_me":false,"che.audio.mute_me":false})")))
        .WillOnce(Return(-1));
  }
  EXPECT_TRUE(media.SetMicrophoneMuted(true));
  EXPECT_TRUE(media.microphone_muted);
  EXPECT_FALSE(media.SetMicrophoneMuted(false));
  EXPECT_TRUE(media.microphone_muted);
}

TEST_F(MediaEngineTest, WithoutAParameterInterfaceNothingIsSet) {
  EXPECT_CALL(engine, queryInterface(rtc::IID_RTC_ENGINE_PARAMETER, _)).WillRepeatedly(Return(-1));
  EXPECT_FALSE(media.SetMicrophoneMuted(true));
  EXPECT_FALSE(media.microphone_muted);
  EXPECT_EQ(media.SetMirror(1), -7);
  EXPECT_FALSE(media.UseDefaultLogFile());
}

TEST_F(MediaEngineTest, MirrorModesNameTheirValues) {
  ExpectParameters(4);
  EXPECT_CALL(parameters, setString(StrEq("che.video.localViewMirrorSetting"), StrEq("default")))
      .WillOnce(Return(0));
  EXPECT_CALL(parameters,
              setString(StrEq("che.video.localViewMirrorSetting"), StrEq("forceMirror")))
      .WillOnce(Return(0));
  EXPECT_CALL(parameters,
              setString(StrEq("che.video.localViewMirrorSetting"), StrEq("disableMirror")))
      .WillOnce(Return(-3));
  EXPECT_EQ(media.SetMirror(0), 0);
  EXPECT_EQ(media.SetMirror(1), 0);
  EXPECT_EQ(media.SetMirror(2), -3);
  EXPECT_EQ(media.SetMirror(3), -2);
}

TEST_F(MediaEngineTest, SignalVolumesOfZeroOrLessSetNothingAndAreCappedAt400) {
  ExpectParameters(2);
  EXPECT_CALL(parameters, setInt(StrEq("che.audio.playout.signal.volume"), 400))
      .WillOnce(Return(0));
  EXPECT_CALL(parameters, setInt(StrEq("che.audio.record.signal.volume"), 250)).WillOnce(Return(0));
  EXPECT_FALSE(media.SetPlayoutSignalVolume(0));
  EXPECT_FALSE(media.SetPlayoutSignalVolume(-5));
  EXPECT_TRUE(media.SetPlayoutSignalVolume(500));
  EXPECT_TRUE(media.SetRecordSignalVolume(250));
}

TEST_F(MediaEngineTest, TheLogFileLiesBesideTheProgram) {
  ExpectParameters(2);
  std::vector<wchar_t> program(4096);
  GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
  std::wstring wide(program.data());
  std::string expected(wide.begin(), wide.begin() + static_cast<long>(wide.rfind(L'/') + 1));
  expected += "MediaEngine.log";
  EXPECT_CALL(parameters, convertPath(StrEq(expected), _, _))
      .WillOnce(Invoke([](const char*, char* out, std::size_t) {
        std::strcpy(out, "/converted/MediaEngine.log");
        return 0;
      }))
      .WillOnce(Return(-1));
  EXPECT_CALL(parameters, setString(StrEq("rtc.log_file"), StrEq("/converted/MediaEngine.log")))
      .WillOnce(Return(0));
  EXPECT_CALL(parameters, setString(StrEq("rtc.log_file"), StrEq(expected))).WillOnce(Return(-1));
  EXPECT_TRUE(media.UseDefaultLogFile());
  EXPECT_FALSE(media.UseDefaultLogFile());
}

TEST_F(MediaEngineTest, VideoStateFollowsSuccessAndAudioStateTheRequest) {
  EXPECT_CALL(engine, enableVideo()).WillOnce(Return(0)).WillOnce(Return(0));
  EXPECT_CALL(engine, disableVideo()).WillOnce(Return(-1)).WillOnce(Return(0));
  EXPECT_CALL(engine, disableAudio()).WillOnce(Return(-1));
  EXPECT_TRUE(media.EnableVideo(true));
  EXPECT_FALSE(media.EnableVideo(false));
  EXPECT_TRUE(media.video_enabled);
  EXPECT_TRUE(media.EnableVideo(false));
  EXPECT_FALSE(media.video_enabled);
  EXPECT_TRUE(media.EnableVideo(true));
  media.EnableAudio(false);
  EXPECT_FALSE(media.audio_enabled);
}

}  // namespace
