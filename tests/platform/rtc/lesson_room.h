// A lesson's room on a real media server inside the private network namespace, and two
// engines that meet there: the test's own and a peer with the virtual camera and tone.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "engine_harness.h"
#include "tests/support/network_namespace.h"
#include "tests/tools/running_media_server.h"
#include "tests/support/needs.h"
#include "tools/lesson-service/media_room.h"

namespace rtc_test {

// Every test of a program that includes this runs inside the namespace; one for all of them.
inline const auto* const kPrivateNetwork =
    testing::AddGlobalTestEnvironment(new testing_support::PrivateNetworkEnvironment);

constexpr rtc::uid_t kOwnUid = 3001;
constexpr rtc::uid_t kPeerUid = 3002;

class LessonRoomTest : public ::testing::Test {
 protected:
  static constexpr const char* kAdminKey = "room-admin";
  static constexpr const char* kRoom = "test-room";
  static constexpr const char* kKey = "room-key";

  void SetUp() override {
    QUORVEL_NEEDS(testing_support::RunningMediaServer::Installed(), "janus is not installed");
    media_ = std::make_unique<testing_support::RunningMediaServer>(
        kAdminKey, testing_support::kPrivateAddressA);
    ASSERT_TRUE(media_->ready());
    ASSERT_EQ(EnsureRoom(media_->url(), kAdminKey, kRoom, {kKey}), std::nullopt);
    server_env_ =
        std::make_unique<testing_support::ScopedEnv>("QUORVEL_MEDIA_SERVER", media_->url());
  }

  // Both engines initialised, reporting levels, and in the room.
  void JoinBoth(std::unique_ptr<EngineHarness> own) {
    own_ = std::move(own);
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

  std::unique_ptr<testing_support::RunningMediaServer> media_;
  std::unique_ptr<testing_support::ScopedEnv> server_env_;
  std::unique_ptr<EngineHarness> own_;
  std::unique_ptr<EngineHarness> peer_;
};

}  // namespace rtc_test
