// Microphones and speakers of a sound server of the test's own, in a lesson on a real media
// server inside the private network namespace: a peer's tone comes out of the chosen sink
// (heard at the sink's monitor), and a tone played into the chosen source reaches the peer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "device_watch.h"
#include "engine_harness.h"
#include "tests/platform/audio/private_sound_server.h"
#include "tests/support/network_namespace.h"
#include "tests/tools/running_media_server.h"
#include "tools/lesson-service/media_room.h"

namespace {

using audio_test::PrivateSoundServer;
using rtc_test::EngineHarness;
using testing_support::RunningMediaServer;

const auto* const kNetwork =
    testing::AddGlobalTestEnvironment(new testing_support::PrivateNetworkEnvironment);

constexpr const char* kAdminKey = "sound-admin";
constexpr const char* kRoom = "sound-room";
constexpr const char* kKey = "sound-key";
constexpr rtc::uid_t kOwnUid = 3001;
constexpr rtc::uid_t kPeerUid = 3002;
// Levels are 0 to 255; a null source is silent, a played tone far above this.
constexpr int kHeardLevel = 20;

// Root mean square of half a second of the source's 16-bit samples: 0 for silence, -1 when
// nothing could be recorded.
double Loudness(const std::string& source) {
  std::string command = "gst-launch-1.0 -q pulsesrc device=" + source +
                        " num-buffers=50 ! audioconvert ! audio/x-raw,format=S16LE,channels=1,"
                        "rate=16000 ! fdsink fd=1 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  double sum = 0;
  std::size_t count = 0;
  for (int16_t sample; std::fread(&sample, sizeof sample, 1, pipe) == 1; ++count) {
    sum += static_cast<double>(sample) * sample;
  }
  ::pclose(pipe);
  return count == 0 ? -1 : std::sqrt(sum / static_cast<double>(count));
}

// The level the handler last reported for uid; -1 before any report names it.
int LastLevel(const EngineHarness& harness, rtc::uid_t uid) {
  std::vector<std::string> reports = harness.handler.Matching("volume");
  if (reports.empty()) return -1;
  std::istringstream words(reports.back());
  std::string word;
  const std::string key = std::to_string(uid) + ":";
  while (words >> word) {
    if (word.rfind(key, 0) == 0) return std::stoi(word.substr(key.size()));
  }
  return -1;
}

class LessonSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunningMediaServer::Installed()) GTEST_SKIP() << "janus is not installed";
    if (!PrivateSoundServer::Installed()) GTEST_SKIP() << "no PulseAudio daemon installed";
    sound_ = std::make_unique<PrivateSoundServer>();
    ASSERT_TRUE(sound_->ready()) << sound_->log();
    media_ = std::make_unique<RunningMediaServer>(kAdminKey, testing_support::kPrivateAddressA);
    ASSERT_TRUE(media_->ready());
    ASSERT_EQ(EnsureRoom(media_->url(), kAdminKey, kRoom, {kKey}), std::nullopt);
    server_env_ =
        std::make_unique<testing_support::ScopedEnv>("QUORVEL_MEDIA_SERVER", media_->url());
  }

  bool Pactl(const std::string& arguments) {
    PrivateSoundServer::PactlResult result = sound_->Pactl(arguments);
    EXPECT_TRUE(result.ok) << arguments << ": " << result.output;
    return result.ok;
  }

  // An engine of the lesson with the sound server's devices, and a peer with the tone.
  void JoinBoth() {
    own_ = std::make_unique<EngineHarness>(R"({"channel": "network"})", rtc::MachineDevices{},
                                           nullptr, nullptr, rtc::WatchMachineDevices);
    peer_ = std::make_unique<EngineHarness>(R"({"channel": "network", "real_devices": false})");
    for (EngineHarness* engine : {own_.get(), peer_.get()}) {
      ASSERT_EQ(engine->Initialize(), 0);
      ASSERT_EQ(engine->engine->enableAudioVolumeIndication(200, 3), 0);
    }
    ASSERT_EQ(own_->engine->joinChannel(kKey, kRoom, "", kOwnUid), 0);
    ASSERT_EQ(peer_->engine->joinChannel(kKey, kRoom, "", kPeerUid), 0);
  }

  // Moves both engines' clocks with real time until condition holds; false after the watchdog.
  bool RealTimeUntil(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      own_->Advance(50, 50);
      peer_->Advance(50, 50);
    }
    return true;
  }

  std::unique_ptr<PrivateSoundServer> sound_;
  std::unique_ptr<RunningMediaServer> media_;
  std::unique_ptr<testing_support::ScopedEnv> server_env_;
  std::unique_ptr<EngineHarness> own_;
  std::unique_ptr<EngineHarness> peer_;
};

TEST_F(LessonSoundTest, APeersToneComesOutOfTheChosenSink) {
  double silence = Loudness("private.monitor");
  ASSERT_GE(silence, 0.0) << "nothing recorded from the sink's monitor";
  EXPECT_LT(silence, 1.0);
  JoinBoth();
  auto* audio = own_->Query<rtc::IAudioDeviceManager>(rtc::IID_AUDIO_DEVICE_MANAGER);
  EXPECT_EQ(audio->setPlaybackDevice("pulse:private"), 0);
  audio->release();
  ASSERT_TRUE(RealTimeUntil([&] { return LastLevel(*own_, kPeerUid) > kHeardLevel; }));
  double heard = Loudness("private.monitor");
  EXPECT_GT(heard, 300.0) << "the sink's monitor heard " << heard;
}

TEST_F(LessonSoundTest, AToneIntoTheChosenSourceReachesThePeer) {
  // A source of its own, not a monitor, that gives what is played into tone_in.
  ASSERT_TRUE(Pactl("load-module module-null-sink sink_name=tone_in"));
  ASSERT_TRUE(Pactl("load-module module-remap-source source_name=desk_mic master=tone_in.monitor"));
  JoinBoth();
  auto* audio = own_->Query<rtc::IAudioDeviceManager>(rtc::IID_AUDIO_DEVICE_MANAGER);
  EXPECT_EQ(audio->setRecordingDevice("pulse:desk_mic"), 0);
  audio->release();
  // Silence while nothing is played: the peer hears the source, not a stand-in tone.
  ASSERT_TRUE(RealTimeUntil([&] { return LastLevel(*peer_, kOwnUid) == 0; }));
  testing_support::TempDir folder;
  testing_support::ChildProcess player(
      {"/usr/bin/gst-launch-1.0", "-q", "audiotestsrc", "is-live=true", "freq=660", "!",
       "pulsesink", "device=tone_in"},
      (folder.path() / "player.out").string());
  ASSERT_TRUE(RealTimeUntil([&] { return LastLevel(*peer_, kOwnUid) > kHeardLevel; }));
}

}  // namespace
