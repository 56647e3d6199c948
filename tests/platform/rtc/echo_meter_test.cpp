// The network test's windows: what the link's counters at each window's end grade, before the
// echo comes back and once it does.
#include "net/echo_meter.h"

#include <gtest/gtest.h>

#include "net/webrtc_link.h"

#include <optional>
#include <vector>

namespace {

using rtc::EchoStage;
using rtc::LinkCounters;

LinkCounters Count(uint64_t sent, uint64_t back, std::optional<double> round_trip_ms = {},
                   std::optional<double> jitter_ms = {}) {
  LinkCounters counters;
  counters.packets_sent = sent;
  counters.packets_received = back;
  counters.round_trip_ms = round_trip_ms;
  counters.jitter_ms = jitter_ms;
  return counters;
}

struct Window {
  rtc::Millis at;
  EchoStage stage;
  std::optional<LinkCounters> counters;
  int grade;
  uint64_t lost;
};

struct Scenario {
  const char* what;
  std::vector<Window> windows;
};

constexpr EchoStage kOpening = EchoStage::kOpening;
constexpr EchoStage kConnecting = EchoStage::kConnecting;
constexpr EchoStage kFailed = EchoStage::kFailed;

TEST(EchoMeter, GradesEachWindowFromThePacketsThatCameBack) {
  const Scenario scenarios[] = {
      {"set up, then a clean echo with one packet still on its way now and then",
       {{200, kOpening, std::nullopt, 0, 0},
        {400, kConnecting, std::nullopt, 0, 0},
        {600, kConnecting, Count(5, 0), 0, 0},
        {800, kConnecting, Count(17, 16, std::nullopt, 4.0), 1, 0},
        {1000, kConnecting, Count(29, 29, 1.5, 3.0), 1, 0},
        {1200, kConnecting, Count(41, 40, 1.5, 3.0), 1, 0}}},
      {"a server that opens no session is down from 400 ms",
       {{200, kOpening, std::nullopt, 0, 0},
        {400, kOpening, std::nullopt, 6, 0},
        {600, kOpening, std::nullopt, 6, 0}}},
      {"a failed set-up is down at once", {{200, kFailed, std::nullopt, 6, 0}}},
      {"a connection that never echoes is down after the in-lesson silence bound",
       {{2800, kConnecting, Count(100, 0), 0, 0}, {3000, kConnecting, Count(112, 0), 6, 0}}},
      {"the window the echo starts in is not judged for loss, and late packets are not lost",
       {{200, kConnecting, Count(20, 10, std::nullopt, 2.0), 1, 0},
        {400, kConnecting, Count(30, 30, std::nullopt, 2.0), 1, 0},
        {600, kConnecting, Count(40, 36, std::nullopt, 2.0), 4, 1}}},
      {"a fifth of every window lost, once more is missing than may still be on its way",
       {{200, kConnecting, Count(20, 16, std::nullopt, 2.0), 1, 0},
        {400, kConnecting, Count(40, 32, std::nullopt, 2.0), 1, 0},
        {600, kConnecting, Count(60, 48, std::nullopt, 2.0), 5, 3},
        {800, kConnecting, Count(80, 64, std::nullopt, 2.0), 5, 4}}},
      {"packets on their way at a window's end are not lost however few the window sent",
       {{200, kConnecting, Count(37, 34, std::nullopt, 2.0), 1, 0},
        {400, kConnecting, Count(47, 43, std::nullopt, 2.0), 1, 0},
        {600, kConnecting, Count(48, 45, std::nullopt, 2.0), 1, 0},
        {800, kConnecting, Count(59, 55, std::nullopt, 2.0), 1, 0}}},
      {"an echo that stops",
       {{200, kConnecting, Count(12, 12, std::nullopt, 2.0), 1, 0},
        {400, kConnecting, Count(24, 12, std::nullopt, 2.0), 6, 9}}},
      {"a long round trip leaves more on the way",
       {{200, kConnecting, Count(12, 12, 150.0), 2, 0},
        {400, kConnecting, Count(24, 14, 150.0), 2, 0}}},
      {"a packet counted lost that comes late is not counted again",
       {{200, kConnecting, Count(12, 12, std::nullopt, 2.0), 1, 0},
        {400, kConnecting, Count(24, 20, std::nullopt, 2.0), 4, 1},
        {600, kConnecting, Count(36, 35, std::nullopt, 2.0), 1, 0}}},
      {"round trip and jitter grade by the in-lesson table",
       {{200, kConnecting, Count(12, 12, 250.0, 2.0), 3, 0},
        {400, kConnecting, Count(24, 24, 20.0, 25.0), 3, 0},
        {600, kConnecting, Count(36, 36, 20.0, 2.0), 1, 0}}},
      {"a failure after the echo is down whatever came back",
       {{200, kConnecting, Count(12, 12, std::nullopt, 2.0), 1, 0},
        {400, kFailed, Count(24, 24), 6, 0}}},
  };
  for (const Scenario& scenario : scenarios) {
    rtc::EchoMeter meter;
    for (const Window& window : scenario.windows) {
      const LinkCounters* counters = window.counters ? &*window.counters : nullptr;
      rtc::EchoSample sample = meter.Next(window.at, window.stage, counters);
      EXPECT_EQ(sample.grade, window.grade) << scenario.what << " at " << window.at;
      EXPECT_EQ(sample.lost, window.lost) << scenario.what << " at " << window.at;
    }
  }
}

TEST(EchoMeter, CountsTheWindowsPacketsAndTheSilenceSinceTheLastEcho) {
  rtc::EchoMeter meter;
  const LinkCounters eleven_back = Count(12, 11);
  rtc::EchoSample first = meter.Next(200, kConnecting, &eleven_back);
  EXPECT_EQ(first.sent, 12u);
  EXPECT_EQ(first.echoed, 11u);
  EXPECT_EQ(first.measure.silent_ms, 0);
  const LinkCounters none_back = Count(20, 11);
  rtc::EchoSample second = meter.Next(400, kConnecting, &none_back);
  EXPECT_EQ(second.sent, 8u);
  EXPECT_EQ(second.echoed, 0u);
  EXPECT_EQ(second.measure.silent_ms, 200);
  ASSERT_TRUE(second.measure.loss_percent);
  // Nine missing: one since the first window, two maybe still on their way.
  EXPECT_DOUBLE_EQ(*second.measure.loss_percent, 100.0 * 6 / 8);
}

}  // namespace
