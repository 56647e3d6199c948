// The machine's devices from the media library's device monitor, against a sound server of
// the test's own: its sources and sinks as microphones and speakers, and a sink loaded and
// unloaded reported by an engine as it happens, with the same id each time.
#include "device_watch.h"

#include <gtest/gtest.h>

#include "engine_harness.h"
#include "tests/platform/audio/private_sound_server.h"
#include "tests/support/needs.h"

namespace {

using audio_test::PrivateSoundServer;

std::vector<std::string> Ids(const std::vector<rtc::DeviceInfo>& devices) {
  std::vector<std::string> ids;
  for (const auto& device : devices) ids.push_back(device.id);
  return ids;
}

bool Lists(const std::vector<rtc::DeviceInfo>& devices, const std::string& id) {
  std::vector<std::string> ids = Ids(devices);
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

class DeviceWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QUORVEL_NEEDS(PrivateSoundServer::Installed(), "no PulseAudio daemon installed");
    server_ = std::make_unique<PrivateSoundServer>();
    ASSERT_TRUE(server_->ready()) << server_->log();
  }
  bool Pactl(const std::string& arguments) { return server_->Pactl(arguments).ok; }
  // The module's index; empty when it could not be loaded.
  std::string LoadSink(const std::string& name) {
    PrivateSoundServer::PactlResult loaded =
        server_->Pactl("load-module module-null-sink sink_name=" + name);
    EXPECT_TRUE(loaded.ok) << loaded.output;
    return loaded.ok ? loaded.output.substr(0, loaded.output.find_first_of("\r\n")) : "";
  }

  std::unique_ptr<PrivateSoundServer> server_;
};

TEST_F(DeviceWatchTest, SourcesAndSinksOfTheServerWithoutMonitorsOpenedByTheirNames) {
  ASSERT_TRUE(Pactl("load-module module-null-source source_name=desk_mic"));
  auto watch = rtc::WatchMachineDevices([] {});
  ASSERT_TRUE(
      rtc_test::WaitUntil([&] { return Lists(watch->Current().microphones, "pulse:desk_mic"); }));
  rtc::MachineDevices devices = watch->Current();
  EXPECT_EQ(Ids(devices.microphones), std::vector<std::string>{"pulse:desk_mic"});
  EXPECT_EQ(Ids(devices.speakers), std::vector<std::string>{"pulse:private"});
  EXPECT_EQ(devices.speakers[0].node, "private");
  EXPECT_EQ(devices.microphones[0].node, "desk_mic");
}

TEST(DeviceWatch, WithoutAServerTheSoundListsStayEmpty) {
  audio_test::NoSoundServer nowhere;
  auto watch = rtc::WatchMachineDevices([] {});
  EXPECT_TRUE(watch->Current().microphones.empty());
  EXPECT_TRUE(watch->Current().speakers.empty());
}

// The engine hears of the sink from the monitor: its time does not move on at all. Plugged
// twice, it has the same id both times.
TEST_F(DeviceWatchTest, AnEngineReportsASinkPluggedAndUnpluggedWithoutTimePassing) {
  rtc_test::EngineHarness harness("{}", rtc::MachineDevices{}, nullptr, nullptr,
                                  rtc::WatchMachineDevices);
  ASSERT_EQ(harness.Initialize(), 0);
  for (int cycle = 1; cycle <= 2; ++cycle) {
    std::string module = LoadSink("headset");
    ASSERT_FALSE(module.empty());
    ASSERT_TRUE(harness.handler.WaitFor("audio-device pulse:headset 0 1", cycle));
    ASSERT_TRUE(Pactl("unload-module " + module));
    ASSERT_TRUE(harness.handler.WaitFor("audio-device pulse:headset 0 8", cycle));
  }
}

}  // namespace
