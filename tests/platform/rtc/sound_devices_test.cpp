// Microphones and speakers of a sound server of the test's own, in a lesson on a real media
// server inside the private network namespace: a peer's tone comes out of the chosen sink
// (heard at the sink's monitor), and a tone played into the chosen source reaches the peer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "device_watch.h"
#include "lesson_room.h"
#include "tests/platform/audio/private_sound_server.h"
#include "tests/support/needs.h"

namespace {

using audio_test::PrivateSoundServer;
using rtc_test::EngineHarness;
using rtc_test::kOwnUid;
using rtc_test::kPeerUid;

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

class LessonSoundTest : public rtc_test::LessonRoomTest {
 protected:
  void SetUp() override {
    QUORVEL_NEEDS(PrivateSoundServer::Installed(), "no PulseAudio daemon installed");
    sound_ = std::make_unique<PrivateSoundServer>();
    ASSERT_TRUE(sound_->ready()) << sound_->log();
    LessonRoomTest::SetUp();
  }

  bool Pactl(const std::string& arguments) {
    PrivateSoundServer::PactlResult result = sound_->Pactl(arguments);
    EXPECT_TRUE(result.ok) << arguments << ": " << result.output;
    return result.ok;
  }

  // The own engine with the sound server's devices.
  void JoinBoth() {
    LessonRoomTest::JoinBoth(std::make_unique<EngineHarness>(R"({"channel": "network"})",
                                                             rtc::MachineDevices{}, nullptr,
                                                             nullptr, rtc::WatchMachineDevices));
  }

  std::unique_ptr<PrivateSoundServer> sound_;
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
