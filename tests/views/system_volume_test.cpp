// The system output volume as the settings dialog and the classroom see it: whole percents,
// truncated, each call on its own, -1 whenever there is nothing to talk to.
#include "views/system_volume.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/platform/audio/private_sound_server.h"

namespace {

using audio_test::PrivateSoundServer;

using SystemVolume = audio_test::SoundServerTest;

TEST_F(SystemVolume, AFractionOfAPercentIsCutOff) {
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 75.5%").ok);
  EXPECT_EQ(GetSystemVolume(), 75);
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 75.9%").ok);
  EXPECT_EQ(GetSystemVolume(), 75);
}

TEST_F(SystemVolume, FullAndSilentRoundTrip) {
  ASSERT_EQ(SetSystemVolume(100), 0);
  EXPECT_EQ(GetSystemVolume(), 100);
  EXPECT_EQ(server_->DefaultSinkPercents(), "100% 100%");
  ASSERT_EQ(SetSystemVolume(0), 0);
  EXPECT_EQ(GetSystemVolume(), 0);
  EXPECT_EQ(server_->DefaultSinkPercents(), "0% 0%");
}

TEST_F(SystemVolume, EveryPercentReadsBackAsWritten) {
  for (int percent = 0; percent <= 100; ++percent) {
    ASSERT_EQ(SetSystemVolume(percent), 0) << percent;
    EXPECT_EQ(GetSystemVolume(), percent);
  }
}

TEST_F(SystemVolume, ASinkLouderThanFullReadsAsFull) {
  ASSERT_TRUE(server_->Pactl("set-sink-volume @DEFAULT_SINK@ 150%").ok);
  EXPECT_EQ(GetSystemVolume(), 100);
}

TEST_F(SystemVolume, APercentNoLevelCanHaveFailsAndChangesNothing) {
  ASSERT_EQ(SetSystemVolume(40), 0);
  EXPECT_EQ(SetSystemVolume(101), -1);
  EXPECT_EQ(SetSystemVolume(-1), -1);
  EXPECT_EQ(GetSystemVolume(), 40);
}

TEST_F(SystemVolume, EachCallFindsTheServerAfresh) {
  ASSERT_EQ(SetSystemVolume(60), 0);
  server_.reset();  // the server goes away between two calls
  EXPECT_EQ(GetSystemVolume(), -1);
  server_ = std::make_unique<PrivateSoundServer>();
  ASSERT_TRUE(server_->ready()) << server_->log();
  ASSERT_EQ(SetSystemVolume(35), 0);
  EXPECT_EQ(GetSystemVolume(), 35);
}

TEST(SystemVolumeWithoutServer, ReadAndWriteBothFail) {
  audio_test::NoSoundServer nobody;
  EXPECT_EQ(GetSystemVolume(), -1);
  EXPECT_EQ(SetSystemVolume(50), -1);
}

}  // namespace
