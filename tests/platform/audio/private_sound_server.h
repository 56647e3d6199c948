// A sound server of the test's own: a PulseAudio daemon on a socket in a temporary folder,
// with its runtime, state and configuration folders there too. While it lives, this process
// and the programs it starts talk to it and to nothing else: a user's own server is never
// reached. The daemon also ends by itself when left without clients for a while, should a
// test die without stopping it.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/scoped_env.h"

namespace audio_test {

enum class Sinks { kOneNullSink, kNone };

class PrivateSoundServer {
 public:
  // False when the daemon is not installed: the only reason for these tests to skip.
  static bool Installed();

  explicit PrivateSoundServer(Sinks sinks = Sinks::kOneNullSink);
  ~PrivateSoundServer();
  PrivateSoundServer(const PrivateSoundServer&) = delete;
  PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

  // True once the daemon takes connections; false if it never did within 10 s (its log
  // then says why).
  bool ready() const { return ready_; }
  std::string log() const;

  // pactl against this server; its output, with its error output, and whether it exited 0.
  struct PactlResult {
    bool ok;
    std::string output;
  };
  PactlResult Pactl(const std::string& arguments) const;
  // The default sink's volume in percent for each channel, as pactl prints it ("75% 75%").
  std::string DefaultSinkPercents() const;

 private:
  bool WaitUntilListening() const;

  testing_support::TempDir folder_;
  std::string socket_;
  pid_t daemon_ = -1;
  bool ready_ = false;
  std::vector<std::unique_ptr<testing_support::ScopedEnv>> client_env_;
};

// Points this process at a socket where no server listens.
class NoSoundServer {
 public:
  NoSoundServer();

 private:
  testing_support::TempDir folder_;
  testing_support::ScopedEnv server_env_;
};

// Tests that each run on a fresh server with one null sink.
class SoundServerTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Where this process points once a test has stopped its server: nowhere.
  NoSoundServer fallback_;
  std::unique_ptr<PrivateSoundServer> server_;
};

}  // namespace audio_test
