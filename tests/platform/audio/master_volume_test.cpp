// The default sink's volume read and written on a sound server of the test's own; a missing,
// empty or silent server fails instead of answering or hanging.
#include <audio/master_volume.h>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/platform/audio/private_sound_server.h"
#include "tests/support/needs.h"

namespace {

using audio_test::PrivateSoundServer;
using audio_test::Sinks;

constexpr float kOneStep = 1.0f / 65536.0f;  // the server's volume resolution

using MasterVolume = audio_test::SoundServerTest;

TEST_F(MasterVolume, ReadsTheLevelTheServerShows) {
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 75.5%").ok);
  const audio::VolumeResult result = audio::ReadMasterVolume();
  ASSERT_TRUE(result.ok) << result.failure;
  EXPECT_NEAR(result.level, 0.755f, kOneStep);
}

TEST_F(MasterVolume, ASinkLouderThanFullReadsAboveOne) {
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 150%").ok);
  const audio::VolumeResult result = audio::ReadMasterVolume();
  ASSERT_TRUE(result.ok) << result.failure;
  EXPECT_NEAR(result.level, 1.5f, kOneStep);
}

TEST_F(MasterVolume, WritesTheLevelTheServerThenShows) {
  const audio::VolumeResult result = audio::WriteMasterVolume(0.3f);
  ASSERT_TRUE(result.ok) << result.failure;
  EXPECT_EQ(server_->DefaultSinkPercents(), "30% 30%");
}

TEST_F(MasterVolume, WritingKeepsTheBalanceAndSetsTheLoudestChannel) {
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 40% 20%").ok);
  EXPECT_NEAR(audio::ReadMasterVolume().level, 0.4f, kOneStep);
  ASSERT_TRUE(audio::WriteMasterVolume(0.8f).ok);
  EXPECT_EQ(server_->DefaultSinkPercents(), "80% 40%");
}

TEST_F(MasterVolume, ALevelOutsideTheScaleIsRefusedAndChangesNothing) {
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 50%").ok);
  for (float level : {-0.01f, 1.01f, std::numeric_limits<float>::quiet_NaN()}) {
    const audio::VolumeResult result = audio::WriteMasterVolume(level);
    EXPECT_FALSE(result.ok) << level;
    EXPECT_EQ(result.failure, "level: outside 0.0 to 1.0");
  }
  EXPECT_EQ(server_->DefaultSinkPercents(), "50% 50%");
}

TEST(MasterVolumeFailure, NoServerFailsAtConnecting) {
  audio_test::NoSoundServer nobody;
  const audio::VolumeResult read = audio::ReadMasterVolume();
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.failure.rfind("connect: ", 0), 0u) << read.failure;
  const audio::VolumeResult write = audio::WriteMasterVolume(0.5f);
  EXPECT_FALSE(write.ok);
  EXPECT_EQ(write.failure.rfind("connect: ", 0), 0u) << write.failure;
}

TEST(MasterVolumeFailure, AServerWithoutSinksFails) {
  QUORVEL_NEEDS(PrivateSoundServer::Installed(), "no PulseAudio daemon installed");
  PrivateSoundServer server(Sinks::kNone);
  ASSERT_TRUE(server.ready()) << server.log();
  const audio::VolumeResult read = audio::ReadMasterVolume();
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.failure, "default sink: the server has none");
  EXPECT_FALSE(audio::WriteMasterVolume(0.5f).ok);
}

// A socket that takes the connection and never says a word, as a hung server would.
class SilentServer {
 public:
  SilentServer() : env_("PULSE_SERVER", "unix:" + (folder_.path() / "silent").string()) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (folder_.path() / "silent").string();
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    listening_ = fd_ >= 0 &&
                 ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                 ::listen(fd_, 4) == 0;
  }
  ~SilentServer() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool listening() const { return listening_; }

 private:
  testing_support::TempDir folder_;
  testing_support::ScopedEnv env_;
  int fd_ = -1;
  bool listening_ = false;
};

TEST(MasterVolumeFailure, AServerThatNeverAnswersFailsAtTheTimeLimit) {
  SilentServer silent;
  ASSERT_TRUE(silent.listening());
  const audio::VolumeResult read = audio::ReadMasterVolume(std::chrono::milliseconds(300));
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.failure, "connect: no answer within 300 ms");
  EXPECT_FALSE(audio::WriteMasterVolume(0.5f, std::chrono::milliseconds(300)).ok);
}

}  // namespace
