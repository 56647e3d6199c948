// The engine's configuration file: devices and scenario, and precise complaints.
#include "engine_config.h"

#include <gtest/gtest.h>

#include <fstream>

#include "engine_harness.h"
#include "tests/support/scoped_env.h"

namespace {

TEST(EngineConfig, ReadsDevicesAndTheWholeScenario) {
  rtc::ConfigResult result = rtc::ParseEngineConfig(R"({
    "real_devices": false,
    "cameras": [{"id": "c1", "name": "Cam"}],
    "speakers": [{"id": "s1", "name": "Speaker"}],
    "scenario": {
      "users": [{"uid": 7, "join_ms": 10, "leave_ms": 90, "leave_reason": 1,
                 "width": 320, "height": 180,
                 "size_changes": [{"at_ms": 50, "width": 640, "height": 360}]}],
      "network_quality": [{"at_ms": 5, "uid": 7, "tx": 2, "rx": 6}],
      "lastmile": [1, 2],
      "device_events": [{"at_ms": 20, "device": "c1", "plugged": false}],
      "network_losses": [{"at_ms": 30}]
    }})");
  ASSERT_EQ(result.error, "");
  const rtc::EngineConfig& config = result.config;
  EXPECT_FALSE(config.real_devices);
  ASSERT_TRUE(config.cameras);
  EXPECT_EQ(config.cameras->at(0).name, "Cam");
  EXPECT_FALSE(config.microphones);
  EXPECT_EQ(config.speakers.at(0).id, "s1");
  const rtc::ScenarioUser& user = config.scenario.users.at(0);
  EXPECT_EQ(user.uid, 7u);
  EXPECT_EQ(user.join_ms, 10);
  EXPECT_EQ(user.leave_ms, 90);
  EXPECT_EQ(user.leave_reason, rtc::USER_OFFLINE_DROPPED);
  EXPECT_EQ(user.size_changes.at(0).width, 640);
  EXPECT_EQ(config.scenario.network_quality.at(0).rx, 6);
  EXPECT_EQ(config.scenario.lastmile, (std::vector<int>{1, 2}));
  EXPECT_FALSE(config.scenario.device_events.at(0).plugged);
  EXPECT_FALSE(config.scenario.network_losses.at(0).rejoin_after_ms);
}

TEST(EngineConfig, NamesWhereAValueIsWrong) {
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"scenario": {"users": [{"uid": 7}]}})").error,
            "config.scenario.users[0].join_ms: is missing");
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"scenario": {"lastmile": [1, 9]}})").error,
            "config.scenario.lastmile[1]: is not 0 to 6");
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"cameras": [{"id": "", "name": "x"}]})").error,
            "config.cameras[0].id: is not a non-empty text");
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"scenario": {"users": [{"uid": 0, "join_ms": 1}]}})").error,
            "config.scenario.users[0].uid: is not a valid uid");
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"real_devices": 1})").error,
            "config.real_devices: is not true or false");
  const std::pair<const char*, const char*> sizes[] = {
      {R"("width": 8193, "height": 2)", "config.scenario.users[0]: has no valid video size"},
      {R"("width": 8192, "height": 8192)", "config.scenario.users[0]: has no valid video size"},
      {R"("width": 4294967297, "height": 2)", "config.scenario.users[0].width: is out of range"},
      {R"("size_changes": [{"at_ms": 1, "width": 2, "height": 100000}])",
       "config.scenario.users[0].size_changes[0]: has no valid video size"}};
  for (const auto& [size, error] : sizes) {
    const std::string users = std::string(R"([{"uid": 7, "join_ms": 1, )") + size + "}]";
    EXPECT_EQ(rtc::ParseEngineConfig(R"({"scenario": {"users": )" + users + "}}").error, error);
  }
  EXPECT_EQ(rtc::ParseEngineConfig("[]").error, "config: is not a JSON object");
  EXPECT_NE(rtc::ParseEngineConfig("{").error, "");
}

TEST(EngineConfig, ReadsWhichDeviceListsCannotBeOpened) {
  const rtc::UnavailableDeviceLists none =
      rtc::ParseEngineConfig("{}").config.unavailable_device_lists;
  EXPECT_FALSE(none.speakers || none.microphones || none.cameras);
  rtc::ConfigResult result =
      rtc::ParseEngineConfig(R"({"unavailable_device_lists": ["cameras", "speakers"]})");
  ASSERT_EQ(result.error, "");
  EXPECT_TRUE(result.config.unavailable_device_lists.speakers);
  EXPECT_FALSE(result.config.unavailable_device_lists.microphones);
  EXPECT_TRUE(result.config.unavailable_device_lists.cameras);
  EXPECT_TRUE(rtc::ParseEngineConfig(R"({"unavailable_device_lists": ["microphones"]})")
                  .config.unavailable_device_lists.microphones);

  EXPECT_EQ(rtc::ParseEngineConfig(R"({"unavailable_device_lists": "cameras"})").error,
            "config.unavailable_device_lists: is not an array");
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"unavailable_device_lists": ["cameras", "screens"]})").error,
            "config.unavailable_device_lists[1]: is not speakers, microphones or cameras");
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"unavailable_device_lists": [2]})").error,
            "config.unavailable_device_lists[0]: is not speakers, microphones or cameras");
  EXPECT_EQ(rtc::ParseEngineConfig(R"({"unavailable_device_lists": [true]})").error,
            "config.unavailable_device_lists[0]: is not valid");
  // A broken list leaves every list available, as the defaults do.
  EXPECT_FALSE(rtc::ParseEngineConfig(R"({"unavailable_device_lists": ["cameras", 1]})")
                   .config.unavailable_device_lists.cameras);
}

TEST(EngineConfig, TheFileComesFromTheEnvironment) {
  testing_support::TempDir folder;
  auto path = folder.path() / "rtc.json";
  std::ofstream(path) << R"({"microphones": [{"id": "m", "name": "M"}]})";
  {
    testing_support::ScopedEnv env("QUORVEL_RTC_CONFIG", path.string());
    rtc::ConfigResult result = rtc::LoadEngineConfig();
    EXPECT_EQ(result.error, "");
    ASSERT_TRUE(result.config.microphones);
    EXPECT_EQ(result.config.microphones->at(0).id, "m");
  }
  {
    testing_support::ScopedEnv env("QUORVEL_RTC_CONFIG", (folder.path() / "missing.json").string());
    EXPECT_EQ(rtc::LoadEngineConfig().error,
              (folder.path() / "missing.json").string() + ": cannot be read");
  }
  testing_support::ScopedEnv unset("QUORVEL_RTC_CONFIG", std::nullopt);
  EXPECT_EQ(rtc::LoadEngineConfig().error, "");
}

TEST(EngineConfig, ABrokenConfigurationIsReportedAtInitialisation) {
  rtc_test::EngineHarness harness(R"({"scenario": {"lastmile": "bad"}})");
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("error -2 config.scenario.lastmile: is not an array"));
  rtc_test::EngineHarness deep(std::string(2000, '['));
  ASSERT_EQ(deep.Initialize(), 0);
  ASSERT_TRUE(deep.handler.WaitFor("error -2 config: Exceeded stackLimit"));
}

}  // namespace
