// The last-mile probe: samples every 200 ms from the scenario's series, until stopped or the
// join; the media server's default address.
#include "lastmile_probe.h"

#include <gtest/gtest.h>

#include "engine_harness.h"

namespace {

using rtc_test::EngineHarness;

TEST(LastmileProbe, TheScenarioSeriesGivesOneSamplePer200MsAndRepeatsItsLast) {
  EngineHarness harness(R"({"scenario": {"lastmile": [1, 4, 2]}})");
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->enableLastmileTest(), 0);
  EXPECT_EQ(harness.engine->enableLastmileTest(), rtc::ERR_REFUSED);
  harness.Advance(199, 199);
  harness.Advance(801, 200);
  ASSERT_TRUE(harness.handler.WaitFor("lastmile", 5));
  EXPECT_EQ(harness.handler.Matching("lastmile"),
            (std::vector<std::string>{"lastmile 1", "lastmile 4", "lastmile 2", "lastmile 2",
                                      "lastmile 2"}));
  ASSERT_EQ(harness.engine->disableLastmileTest(), 0);
  harness.Advance(1000, 200);
  // Nothing more once stopped; give a late sample the chance to show up.
  ASSERT_EQ(harness.engine->joinChannel("", "after", "{}", 1), 0);
  ASSERT_TRUE(harness.handler.WaitFor("join after"));
  EXPECT_EQ(harness.handler.Count("lastmile"), 5);
  EXPECT_EQ(harness.engine->disableLastmileTest(), rtc::ERR_REFUSED);
}

TEST(LastmileProbe, TheTestEndsWithTheJoin) {
  EngineHarness harness(R"({"scenario": {"lastmile": [3]}})");
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_EQ(harness.engine->enableLastmileTest(), 0);
  harness.Advance(400, 200);
  ASSERT_TRUE(harness.handler.WaitFor("lastmile", 2));
  ASSERT_EQ(harness.engine->joinChannel("", "lesson", "{}", 1), 0);
  ASSERT_TRUE(harness.handler.WaitFor("join lesson"));
  EXPECT_EQ(harness.engine->disableLastmileTest(), rtc::ERR_REFUSED);
  harness.Advance(1000, 200);
  ASSERT_EQ(harness.engine->leaveChannel(), 0);
  ASSERT_TRUE(harness.handler.WaitFor("leave"));
  EXPECT_EQ(harness.handler.Count("lastmile"), 2);
}

TEST(LastmileProbe, TheServiceAddressGivesHostAndPort) {
  auto full = rtc::ParseProbeTarget("http://127.0.0.1:8787/api");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->host, "127.0.0.1");
  EXPECT_EQ(full->port, "8787");
  auto bare = rtc::ParseProbeTarget("localhost");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->port, "80");
  auto secure = rtc::ParseProbeTarget("https://lessons.invalid/x");
  ASSERT_TRUE(secure);
  EXPECT_EQ(secure->port, "443");
  auto v6 = rtc::ParseProbeTarget("http://[::1]:9000");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->host, "::1");
  EXPECT_EQ(v6->port, "9000");
  EXPECT_FALSE(rtc::ParseProbeTarget("http://:80"));
  EXPECT_FALSE(rtc::ParseProbeTarget("http://[::1"));
}

}  // namespace
