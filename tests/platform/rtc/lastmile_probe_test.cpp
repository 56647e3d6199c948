// The last-mile probe: samples every 200 ms, from the scenario's series or measured.
#include "lastmile_probe.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

TEST(LastmileProbe, QualityFollowsRoundTripAndLossThresholds) {
  EXPECT_EQ(rtc::QualityFromProbes(5, 0, 1), rtc::QUALITY_EXCELLENT);
  EXPECT_EQ(rtc::QualityFromProbes(5, 0, 60), rtc::QUALITY_GOOD);
  EXPECT_EQ(rtc::QualityFromProbes(5, 0, 120), rtc::QUALITY_POOR);
  EXPECT_EQ(rtc::QualityFromProbes(5, 0, 250), rtc::QUALITY_BAD);
  EXPECT_EQ(rtc::QualityFromProbes(5, 0, 500), rtc::QUALITY_VBAD);
  EXPECT_EQ(rtc::QualityFromProbes(5, 0, 900), rtc::QUALITY_DOWN);
  // One probe in five lost is 20 %: very bad however fast the others were.
  EXPECT_EQ(rtc::QualityFromProbes(4, 1, 1), rtc::QUALITY_VBAD);
  EXPECT_EQ(rtc::QualityFromProbes(0, 5, 0), rtc::QUALITY_DOWN);
  EXPECT_EQ(rtc::QualityFromProbes(0, 0, 0), rtc::QUALITY_DOWN);
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

// A listening socket on a free loopback port.
class LoopbackListener {
 public:
  LoopbackListener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 64);
    socklen_t size = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackListener() { close(fd_); }
  std::string port() const { return std::to_string(port_); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(LastmileProbe, MeasuresTheLessonServiceHostOverLoopback) {
  LoopbackListener listener;
  rtc_test::RecordingHandler handler;
  rtc::CallbackDispatcher dispatcher;
  dispatcher.SetHandler(&handler);
  rtc::EngineLog log;
  rtc::EventSink sink(dispatcher, log);
  rtc::ManualEngineClock clock;
  rtc::Timeline timeline(clock);
  rtc::LastmileProbe probe({}, rtc::ProbeTarget{"127.0.0.1", listener.port()}, timeline, sink);
  ASSERT_EQ(probe.Start(), 0);
  ASSERT_TRUE(handler.WaitFor("lastmile", 3));
  ASSERT_EQ(probe.Stop(), 0);
  for (const std::string& line : handler.Matching("lastmile")) {
    EXPECT_EQ(line, "lastmile 1");
  }
}

}  // namespace
