// The network test through a real media server inside the private network namespace: a clean
// path, servers that cannot be reached, and a path that loses a fifth of the packets.
#include "net/echo_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine_harness.h"
#include "tests/support/network_namespace.h"
#include "tests/support/scoped_env.h"
#include "tests/tools/running_media_server.h"
#include "tests/support/needs.h"

namespace {

using Clock = std::chrono::steady_clock;
using rtc_test::WaitUntil;
using std::chrono::milliseconds;
using std::chrono::seconds;
using testing_support::RunningMediaServer;

const auto* const kNetwork =
    testing::AddGlobalTestEnvironment(new testing_support::PrivateNetworkEnvironment);

constexpr const char* kAdminKey = "echo-admin";
// A free address of the namespace's network: nobody answers for it.
constexpr const char* kUnheldAddress = "10.77.0.3";
constexpr milliseconds kPeriod{rtc::EchoProbe::kSamplePeriodMs};

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// One "echo:" line of the engine's log.
struct EchoLine {
  std::string text;
  unsigned long long sent = 0;
  unsigned long long back = 0;
  unsigned long long lost = 0;
  int grade = -1;
};

// An engine whose log goes to a file of its own, running the network test.
class ProbingEngine {
 public:
  ProbingEngine() {
    EXPECT_EQ(harness_.Initialize(), 0);
    parameters_ = harness_.Query<rtc::IRtcEngineParameter>(rtc::IID_RTC_ENGINE_PARAMETER);
    EXPECT_EQ(parameters_->setString("rtc.log_file", log_path().c_str()), 0);
  }
  ~ProbingEngine() { parameters_->release(); }

  // The test on the media server at url, as the program starts it.
  void Start(const std::string& url) {
    EXPECT_EQ(parameters_->setString("rtc.media_server", url.c_str()), 0);
    EXPECT_EQ(harness_.engine->enableLastmileTest(), 0);
  }
  int Stop() { return harness_.engine->disableLastmileTest(); }

  // The samples as the handler got them.
  std::vector<int> Samples() const {
    std::vector<int> samples;
    for (const std::string& line : harness_.handler.Matching("lastmile ")) {
      samples.push_back(std::stoi(line.substr(9)));
    }
    return samples;
  }
  std::vector<EchoLine> Lines() const {
    std::vector<EchoLine> lines;
    std::ifstream file(log_path());
    for (std::string text; std::getline(file, text);) {
      const auto at = text.find(" echo: ");
      if (at == std::string::npos) continue;
      EchoLine line;
      line.text = text.substr(at + 1);
      std::sscanf(line.text.c_str(), "echo: %llu sent, %llu back, %llu lost", &line.sent,
                  &line.back, &line.lost);
      line.grade = std::stoi(line.text.substr(line.text.rfind(": ") + 2));
      lines.push_back(line);
    }
    return lines;
  }
  // Those of windows in which packets came back.
  std::vector<EchoLine> Echoed() const {
    std::vector<EchoLine> echoed = Lines();
    echoed.erase(std::remove_if(echoed.begin(), echoed.end(),
                                [](const EchoLine& line) { return line.back == 0; }),
                 echoed.end());
    return echoed;
  }
  bool WaitForEchoed(std::size_t count) const {
    return WaitUntil([&] { return Echoed().size() >= count; });
  }

 private:
  std::string log_path() const { return (folder_.path() / "engine.log").string(); }

  testing_support::TempDir folder_;
  // Nothing in the configuration gives samples: they are measured.
  rtc_test::EngineHarness harness_{R"({"channel": "network"})"};
  rtc::IRtcEngineParameter* parameters_ = nullptr;
};

// A share of every UDP packet sent in the namespace dropped, both ways of the media, for the
// length of a scope.
class LossyNetwork {
 public:
  static bool Installed() { return std::system("nft --version >/dev/null 2>&1") == 0; }

  explicit LossyNetwork(int percent) {
    const std::string rules = (folder_.path() / "loss.nft").string();
    std::ofstream(rules) << "table inet quorvel_loss {\n"
                            "  chain out {\n"
                            "    type filter hook output priority 0; policy accept;\n"
                            "    meta l4proto udp numgen random mod 100 < "
                         << percent << " drop\n  }\n}\n";
    EXPECT_EQ(std::system(("nft -f " + rules).c_str()), 0);
  }
  ~LossyNetwork() { std::system("nft delete table inet quorvel_loss"); }
  LossyNetwork(const LossyNetwork&) = delete;
  LossyNetwork& operator=(const LossyNetwork&) = delete;

 private:
  testing_support::TempDir folder_;
};

TEST(EchoProbe, ACleanPathGradesExcellentOrGoodFromEachWindowsPackets) {
  QUORVEL_NEEDS(RunningMediaServer::Installed(), "janus is not installed");
  RunningMediaServer server(kAdminKey, testing_support::kPrivateAddressA);
  ASSERT_TRUE(server.ready());
  ProbingEngine engine;
  const Clock::time_point started = Clock::now();
  engine.Start(server.url());
  ASSERT_TRUE(engine.WaitForEchoed(1));
  EXPECT_LT(Clock::now() - started, seconds(3)) << "the echo took long to come back";
  ASSERT_TRUE(engine.WaitForEchoed(10));
  ASSERT_EQ(engine.Stop(), 0);

  unsigned long long sent = 0;
  for (const EchoLine& line : engine.Echoed()) {
    EXPECT_TRUE(line.grade == 1 || line.grade == 2) << line.text;
    EXPECT_GT(line.sent, 0u) << line.text;
    sent += line.sent;
  }
  EXPECT_GT(sent, 10u * 8) << "a small stream still sends a few packets per window";
  // The handler got exactly the logged grades that measured something, and nothing once stopped.
  std::vector<int> logged;
  for (const EchoLine& line : engine.Lines()) {
    if (line.grade != rtc::QUALITY_UNKNOWN) logged.push_back(line.grade);
  }
  ASSERT_TRUE(WaitUntil([&] { return engine.Samples().size() >= logged.size(); }));
  std::this_thread::sleep_for(3 * kPeriod);
  EXPECT_EQ(engine.Samples(), logged);

  // The server hangs the echo up and destroys the session.
  EXPECT_TRUE(WaitUntil([&] {
    const std::string log = server.Log();
    return Occurrences(log, "Destroying session") == Occurrences(log, "Creating new session");
  })) << server.Log();
  EXPECT_NE(server.Log().find("No WebRTC media anymore"), std::string::npos);

  // And it starts again.
  const std::size_t before = engine.Echoed().size();
  engine.Start(server.url());
  ASSERT_TRUE(engine.WaitForEchoed(before + 3));
  for (std::size_t i = before; i < before + 3; ++i) {
    const EchoLine line = engine.Echoed()[i];
    EXPECT_TRUE(line.grade == 1 || line.grade == 2) << line.text;
  }
}

TEST(EchoProbe, AServerThatCannotBeReachedIsDownWithinASecond) {
  struct Case {
    const char* what;
    std::string url;
  };
  const Case cases[] = {
      {"refused", "http://" + std::string(testing_support::kPrivateAddressA) + ":9/janus"},
      {"no answer", "http://" + std::string(kUnheldAddress) + ":8088/janus"},
  };
  for (const Case& c : cases) {
    ProbingEngine engine;
    const Clock::time_point started = Clock::now();
    engine.Start(c.url);
    ASSERT_TRUE(WaitUntil([&] {
      std::vector<int> samples = engine.Samples();
      return !samples.empty() && samples.back() == rtc::QUALITY_DOWN;
    })) << c.what;
    EXPECT_LT(Clock::now() - started, seconds(1)) << c.what;
    ASSERT_TRUE(WaitUntil([&] { return engine.Samples().size() >= 5; })) << c.what;
    // The set-up may still wait on the server: stopping does not.
    const Clock::time_point stopping = Clock::now();
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_LT(Clock::now() - stopping, milliseconds(100)) << c.what;
    const std::vector<int> samples = engine.Samples();
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](int q) { return q == 6; }))
        << c.what;
    // The log says where it went.
    const std::vector<EchoLine> lines = engine.Lines();
    ASSERT_FALSE(lines.empty()) << c.what;
    EXPECT_NE(lines.back().text.find(c.url), std::string::npos) << lines.back().text;
  }
}

TEST(EchoProbe, AFifthOfThePacketsLostGradesPoorOrWorse) {
  QUORVEL_NEEDS(RunningMediaServer::Installed(), "janus is not installed");
  QUORVEL_NEEDS(LossyNetwork::Installed(), "nft is not installed (Debian nftables)");
  RunningMediaServer server(kAdminKey, testing_support::kPrivateAddressA);
  ASSERT_TRUE(server.ready());
  ProbingEngine engine;
  engine.Start(server.url());
  ASSERT_TRUE(engine.WaitForEchoed(1));
  // Lossy once the echo flows: the connection's own handshake may take long to get through.
  LossyNetwork lossy(20);
  // The window under way when the loss began is left out.
  const std::size_t from = engine.Lines().size() + 1;
  constexpr std::size_t kWindows = 10;
  ASSERT_TRUE(WaitUntil([&] { return engine.Lines().size() >= from + kWindows; }));
  ASSERT_EQ(engine.Stop(), 0);
  const std::vector<EchoLine> lines = engine.Lines();
  std::size_t poor = 0;
  unsigned long long lost = 0;
  for (std::size_t i = from; i < lines.size(); ++i) {
    poor += lines[i].grade >= rtc::QUALITY_POOR ? 1 : 0;
    lost += lines[i].lost;
  }
  const std::size_t windows = lines.size() - from;
  // Both ways lose a fifth: about a third does not come back, so hardly a window escapes.
  EXPECT_GE(poor * 10, windows * 8) << poor << " of " << windows << " windows poor or worse";
  EXPECT_GT(lost, 0u);
}

}  // namespace
