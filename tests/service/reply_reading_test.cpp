#include <gtest/gtest.h>

#include "service/config_reply.h"
#include "service/login_reply.h"
#include "service/reply_envelope.h"
#include "tests/service/reply_samples.h"
#include "tests/support/scoped_env.h"

using testing_support::LoginReplyWithUserType;

namespace {

constexpr bool kEnglish = false;
constexpr bool kChinese = true;

}  // namespace

TEST(ReplyEnvelope, SucceedsOnlyWithCodeZeroAndDataWhenRequired) {
  EXPECT_EQ(ReadEnvelope("{\"code\":0,\"data\":{\"a\":1}}", DataRequirement::kNotEmpty).verdict,
            ReplyVerdict::kAccepted);
  EXPECT_EQ(ReadEnvelope("{\"code\":0,\"data\":{}}", DataRequirement::kNotEmpty).verdict,
            ReplyVerdict::kRefused);
  EXPECT_EQ(ReadEnvelope("{\"code\":0,\"data\":[]}", DataRequirement::kNotEmpty).verdict,
            ReplyVerdict::kRefused);
  EXPECT_EQ(ReadEnvelope("{\"code\":0}", DataRequirement::kNone).verdict, ReplyVerdict::kAccepted);
  EXPECT_EQ(ReadEnvelope("{\"code\":3,\"data\":{\"a\":1}}", DataRequirement::kNone).verdict,
            ReplyVerdict::kRefused);
  // A missing code reads as 0.
  EXPECT_EQ(ReadEnvelope("{\"data\":{\"a\":1}}", DataRequirement::kNotEmpty).verdict,
            ReplyVerdict::kAccepted);
}

TEST(ReplyEnvelope, TransportTextsAndEmptyBodiesAreNotJson) {
  for (const char* text : {"NETWORK ERROR,CODE:7", "NETWORK INIT FAILED", "", "<html></html>"}) {
    EXPECT_EQ(ReadEnvelope(text, DataRequirement::kNone).verdict, ReplyVerdict::kNotJson) << text;
  }
}

TEST(ReplyEnvelope, NestingTooDeepForTheParserIsNotJson) {
  std::string deep(5000, '[');
  EXPECT_EQ(ReadEnvelope(deep, DataRequirement::kNone).verdict, ReplyVerdict::kNotJson);
  EXPECT_EQ(ReadLoginReply(deep, false).failure_message, deep.substr(0, 300) + "\u2026");
  EXPECT_FALSE(ReadConfigReply("{\"data\":" + deep).accepted);
}

TEST(ReplyEnvelope, WrongShapesAreVerdictsNotExceptions) {
  struct Case {
    const char* reply;
    const char* key;
  } cases[] = {{"[1,2]", ""},
               {"\"text\"", ""},
               {"7", ""},
               {"{\"code\":\"0\"}", "code"},
               {"{\"code\":{}}", "code"},
               {"{\"code\":4294967296}", "code"},
               {"{\"code\":1,\"msg\":[\"x\"]}", "msg"}};
  for (const Case& c : cases) {
    ReplyEnvelope envelope = ReadEnvelope(c.reply, DataRequirement::kNotEmpty);
    EXPECT_EQ(envelope.verdict, ReplyVerdict::kMalformed) << c.reply;
    EXPECT_EQ(envelope.malformed_key, c.key) << c.reply;
  }
  EXPECT_FALSE(IsAcceptedReply("[0]"));
  EXPECT_TRUE(IsAcceptedReply("{\"code\":0}"));
  EXPECT_FALSE(IsAcceptedReply("{\"code\":1}"));
}

TEST(ConfigReply, TakesTheIdAndTheUpdateNotice) {
  ConfigResult result = ReadConfigReply(
      "{\"code\":0,\"data\":{\"mediaAppId\":\"abc\",\"app\":{\"newVer\":\"1.2.0\",\"update\":2,"
      "\"updateMsg\":\"新版本\",\"updateUrl\":\"http://u\"}}}");
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(result.app_id, "abc");
  EXPECT_EQ(result.new_version, "1.2.0");
  EXPECT_EQ(result.update, 2);
  EXPECT_EQ(result.update_message, "新版本");
  EXPECT_EQ(result.update_url, "http://u");
}

TEST(ConfigReply, AnIdAloneOffersNoUpdate) {
  ConfigResult result = ReadConfigReply("{\"code\":0,\"data\":{\"mediaAppId\":\"abc\"}}");
  EXPECT_EQ(result.app_id, "abc");
  EXPECT_EQ(result.update, 0);
  EXPECT_EQ(result.new_version, "");
}

TEST(ConfigReply, AnAppWithoutIdGivesAnEmptyId) {
  ConfigResult result = ReadConfigReply("{\"code\":0,\"data\":{\"app\":{\"update\":1}}}");
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(result.app_id, "");
  EXPECT_EQ(result.update, 1);
}

TEST(ConfigReply, EveryFailureFallsBackToTheBuiltInId) {
  for (const char* reply :
       {"NETWORK ERROR,CODE:7", "", "garbage", "{\"code\":5,\"data\":{\"mediaAppId\":\"x\"}}",
        "{\"code\":0,\"data\":{}}", "{\"code\":0,\"data\":\"x\"}",
        "{\"code\":0,\"data\":{\"mediaAppId\":[\"x\"]}}",
        "{\"code\":0,\"data\":{\"mediaAppId\":\"x\",\"app\":7}}",
        "{\"code\":0,\"data\":{\"mediaAppId\":\"x\",\"app\":{\"update\":\"1\"}}}",
        "{\"code\":0,\"data\":{\"mediaAppId\":\"x\",\"app\":{\"update\":3000000000}}}"}) {
    ConfigResult result = ReadConfigReply(reply);
    EXPECT_FALSE(result.accepted) << reply;
    EXPECT_EQ(result.app_id, kBuiltInAppId) << reply;
    EXPECT_EQ(result.update, 0) << reply;
    EXPECT_EQ(result.new_version, "") << reply;
  }
}

TEST(LoginReply, UserTypeAsNumberOrTextChoosesTheAccessPath) {
  struct Case {
    const char* json;
    const char* user_type;
    const char* path;
  } cases[] = {
      {"1", "1", "/Meeting/teacherAccess"},       {"\"1\"", "1", "/Meeting/teacherAccess"},
      {"0", "0", "/Meeting/studentAccess"},       {"\"01\"", "01", "/Meeting/assistantAccess"},
      {"\"2\"", "2", "/Meeting/assistantAccess"}, {"", "", "/Meeting/assistantAccess"}};
  for (const Case& c : cases) {
    StepOutcome<LoginData> outcome = ReadLoginReply(LoginReplyWithUserType(c.json), kEnglish);
    ASSERT_TRUE(outcome.succeeded()) << c.json << ": " << outcome.failure_message;
    EXPECT_EQ(outcome.data->user_type, c.user_type);
    EXPECT_STREQ(AccessPathFor(RoleOfUserType(outcome.data->user_type)), c.path) << c.json;
  }
}

TEST(LoginReply, ConfigIsReadOnlyWhenPresent) {
  StepOutcome<LoginData> without = ReadLoginReply(LoginReplyWithUserType("1"), kEnglish);
  ASSERT_TRUE(without.succeeded());
  EXPECT_FALSE(without.data->config.has_value());

  StepOutcome<LoginData> with = ReadLoginReply(
      "{\"code\":0,\"data\":{\"user_type\":0,\"token\":\"t\",\"meeting_id\":42,\"config\":"
      "{\"media_video_profile\":40,\"screen_sharing\":true,\"play_volume\":120}}}",
      kEnglish);
  ASSERT_TRUE(with.succeeded());
  EXPECT_EQ(with.data->meeting_id, "42");
  ASSERT_TRUE(with.data->config.has_value());
  EXPECT_EQ(with.data->config->video_profile, 40);
  EXPECT_TRUE(with.data->config->screen_sharing);
  EXPECT_FALSE(with.data->config->recording);  // absent inside a present config
  EXPECT_EQ(with.data->config->play_volume, 120);
  EXPECT_EQ(with.data->config->audio_profile, 0);
}

TEST(LoginReply, FailuresCarryTheTextToShow) {
  EXPECT_EQ(ReadLoginReply("NETWORK ERROR,CODE:7", kEnglish).failure_message,
            "NETWORK ERROR,CODE:7");
  std::string html = "<html><body>Bad Gateway</body></html>";
  EXPECT_EQ(ReadLoginReply(html, kEnglish).failure_message, html);
  StepOutcome<LoginData> refused =
      ReadLoginReply("{\"code\":1001,\"msg\":\"Unknown lesson code\"}", kEnglish);
  EXPECT_FALSE(refused.succeeded());
  EXPECT_EQ(refused.failure_message, "Unknown lesson code");
  EXPECT_EQ(ReadLoginReply("{\"code\":0,\"msg\":\"no data\"}", kEnglish).failure_message,
            "no data");
}

TEST(LoginReply, ALongFailureShowsItsFirst300CharactersAndTheDebugOutputGetsItAll) {
  testing_support::ScopedEnv debug("QUORVEL_DEBUG", std::string("1"));
  std::string chinese;
  for (int i = 0; i < 400; ++i) chinese += "\u9519";
  const std::string long_msg(5000, 'm');
  struct Case {
    std::string reply;
    std::string shown;
    std::string debug;
  } cases[] = {
      {std::string(300, 'x'), std::string(300, 'x'), ""},
      {std::string(301, 'x'), std::string(300, 'x') + "\u2026", std::string(301, 'x')},
      {chinese, chinese.substr(0, 900) + "\u2026", chinese},
      {"{\"code\":7,\"msg\":\"" + long_msg + "\"}", long_msg.substr(0, 300) + "\u2026", long_msg}};
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadLoginReply(c.reply, kEnglish).failure_message, c.shown) << c.reply.size();
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output.find(c.debug) != std::string::npos && !output.empty(), !c.debug.empty());
  }
}

TEST(LoginReply, WrongShapesFailWithAMessageNamingTheValue) {
  StepOutcome<LoginData> outcome =
      ReadLoginReply("{\"code\":0,\"data\":{\"user_type\":{\"x\":1},\"token\":\"t\"}}", kEnglish);
  EXPECT_FALSE(outcome.succeeded());
  EXPECT_EQ(outcome.failure_message, MalformedReplyMessage("data/user_type", kEnglish));
  EXPECT_NE(outcome.failure_message.find("\"data/user_type\""), std::string::npos);

  EXPECT_EQ(ReadLoginReply("{\"code\":0,\"data\":{\"config\":[1]}}", kChinese).failure_message,
            MalformedReplyMessage("data/config", kChinese));
  EXPECT_EQ(ReadLoginReply("{\"code\":0,\"data\":[1]}", kEnglish).failure_message,
            MalformedReplyMessage("data", kEnglish));
  EXPECT_EQ(ReadLoginReply("[]", kEnglish).failure_message, MalformedReplyMessage("", kEnglish));
  EXPECT_EQ(ReadLoginReply("{\"code\":0,\"data\":{\"config\":{\"recording\":\"yes\"}}}", kEnglish)
                .failure_message,
            MalformedReplyMessage("data/config/recording", kEnglish));
}

TEST(AccessReply, StartTimeBeyond32BitsIsReadWhole) {
  StepOutcome<AccessData> outcome = ReadAccessReply(
      "{\"code\":0,\"data\":{\"uid\":-5,\"start_time\":4294967296123,\"duration\":3600,"
      "\"channel_name\":\"c\"}}",
      kEnglish);
  ASSERT_TRUE(outcome.succeeded()) << outcome.failure_message;
  EXPECT_EQ(outcome.data->start_time, 4294967296123LL);
  EXPECT_EQ(outcome.data->uid, -5);
  EXPECT_EQ(outcome.data->duration, 3600);
  EXPECT_EQ(outcome.data->channel_name, "c");
}

TEST(AccessReply, A32BitFieldOutOfRangeIsAFailedStep) {
  StepOutcome<AccessData> outcome =
      ReadAccessReply("{\"code\":0,\"data\":{\"uid\":2147483648}}", kEnglish);
  EXPECT_FALSE(outcome.succeeded());
  EXPECT_EQ(outcome.failure_message, MalformedReplyMessage("data/uid", kEnglish));
  EXPECT_TRUE(ReadAccessReply("{\"code\":0,\"data\":{\"uid\":2147483647}}", kEnglish).succeeded());
  EXPECT_TRUE(ReadAccessReply("{\"code\":0,\"data\":{\"uid\":-2147483648}}", kEnglish).succeeded());
}

TEST(AccessReply, TheMediaServerIsOptionalButNeverAnObject) {
  struct Case {
    const char* data;
    bool succeeds;
    const char* media_server;
  };
  const Case cases[] = {
      {R"({"uid":1})", true, ""},
      {R"({"uid":1,"media_server":"http://10.0.0.5:8088/janus"})", true,
       "http://10.0.0.5:8088/janus"},
      {R"({"uid":1,"media_server":{"url":"x"}})", false, ""},
  };
  for (const Case& c : cases) {
    StepOutcome<AccessData> outcome =
        ReadAccessReply(std::string(R"({"code":0,"data":)") + c.data + "}", kEnglish);
    ASSERT_EQ(outcome.succeeded(), c.succeeds) << c.data;
    if (c.succeeds)
      EXPECT_EQ(outcome.data->media_server, c.media_server);
    else
      EXPECT_EQ(outcome.failure_message, MalformedReplyMessage("data/media_server", kEnglish));
  }
}
