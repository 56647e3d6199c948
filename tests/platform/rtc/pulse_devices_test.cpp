// PulseAudio sources and sinks as the engine's microphones and speakers, against a server of
// the test's own with null devices; a sink loaded later shows as a plugged device.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "device_sources.h"
#include "engine_harness.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;

// A PulseAudio server in a folder of its own, stopped at the end of the scope.
class PulseServer {
 public:
  PulseServer()
      : runtime_("XDG_RUNTIME_DIR", folder_.path().string()),
        home_("HOME", folder_.path().string()),
        server_("PULSE_SERVER", "unix:" + (folder_.path() / "pulse" / "native").string()) {
    if (!fs::exists("/usr/bin/pulseaudio")) return;
    pid_ = fork();
    if (pid_ == 0) {
      execl("/usr/bin/pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
            "--log-target=stderr", "--log-level=0", "-L", "module-native-protocol-unix", "-L",
            "module-null-sink sink_name=quorvel_sink sink_properties=device.description=Desk", "-L",
            "module-null-source source_name=quorvel_source", nullptr);
      _exit(127);
    }
    ready_ =
        rtc_test::WaitUntil([this] { return fs::exists(folder_.path() / "pulse" / "native"); });
  }
  ~PulseServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool ready() const { return ready_; }
  // Runs pactl against this server; true when it succeeded.
  bool Pactl(const std::string& arguments) const {
    return std::system(("pactl " + arguments + " > /dev/null 2>&1").c_str()) == 0;
  }

 private:
  testing_support::TempDir folder_;
  testing_support::ScopedEnv runtime_;
  testing_support::ScopedEnv home_;
  testing_support::ScopedEnv server_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

std::vector<std::string> Ids(const std::vector<rtc::DeviceInfo>& devices) {
  std::vector<std::string> ids;
  for (const auto& device : devices) ids.push_back(device.id);
  return ids;
}

TEST(PulseDevices, SourcesAndSinksOfTheServerWithoutMonitors) {
  PulseServer server;
  if (!server.ready()) GTEST_SKIP() << "no PulseAudio server could be started";
  std::vector<rtc::DeviceInfo> sources;
  std::vector<rtc::DeviceInfo> sinks;
  ASSERT_TRUE(rtc_test::WaitUntil([&] {
    rtc::ListPulseDevices(sources, sinks);
    return !sinks.empty();
  }));
  EXPECT_EQ(Ids(sources), std::vector<std::string>{"pulse:quorvel_source"});
  EXPECT_EQ(Ids(sinks), std::vector<std::string>{"pulse:quorvel_sink"});
  EXPECT_EQ(sinks[0].name, "Desk");
}

TEST(PulseDevices, WithoutAServerTheListsStayEmpty) {
  testing_support::TempDir nowhere;
  testing_support::ScopedEnv server("PULSE_SERVER", "unix:" + (nowhere.path() / "none").string());
  std::vector<rtc::DeviceInfo> sources;
  std::vector<rtc::DeviceInfo> sinks;
  rtc::ListPulseDevices(sources, sinks);
  EXPECT_TRUE(sources.empty());
  EXPECT_TRUE(sinks.empty());
}

TEST(PulseDevices, ASinkLoadedLaterIsReportedAsPlugged) {
  PulseServer server;
  if (!server.ready()) GTEST_SKIP() << "no PulseAudio server could be started";
  ASSERT_TRUE(rtc_test::WaitUntil([] { return !rtc::ListMachineDevices().speakers.empty(); }));
  rtc_test::EngineHarness harness("{}", rtc::ListMachineDevices());
  ASSERT_EQ(harness.Initialize(), 0);
  ASSERT_TRUE(server.Pactl("load-module module-null-sink sink_name=headset"));
  // The harness's machine is fixed; give it what the server shows now.
  harness.SetMachine(rtc::ListMachineDevices());
  harness.Advance(rtc::RtcEngineImpl::kDeviceWatchPeriodMs);
  ASSERT_TRUE(harness.handler.WaitFor("audio-device pulse:headset 0 1"));
}

}  // namespace
