// The pieces the lesson's two clocks share: "now" in whole seconds, minutes rounded up and the
// skins' sentences filled safely.
#include "classroom/lesson_time.h"

#include <gtest/gtest.h>
#include <win/headless.h>

#include <cstdint>
#include <string>
#include <utility>

TEST(NowSeconds, ReadsTheComputersClockInWholeSeconds) {
  win::headless::SetUnixTime(1'800'000'000);
  EXPECT_EQ(NowSeconds(), 1'800'000'000);
  win::headless::AdvanceClock(999);
  EXPECT_EQ(NowSeconds(), 1'800'000'000);
  win::headless::AdvanceClock(1);
  EXPECT_EQ(NowSeconds(), 1'800'000'001);
}

TEST(MinutesRoundedUp, CountsWholeMinutesRoundedUpAndNothingForAPassedMoment) {
  const std::pair<std::int64_t, std::int64_t> seconds_to_minutes[] = {
      {1, 1},  {59, 1},    {60, 1},
      {61, 2}, {3600, 60}, {3601, 61},
      {0, 0},  {-5, 0},    {INT64_MAX, INT64_MAX / 60 + 1}};
  for (const auto& [seconds, minutes] : seconds_to_minutes) {
    EXPECT_EQ(MinutesRoundedUp(seconds), minutes) << seconds;
  }
}

TEST(FormatMinutes, FillsTheOnePlaceholderOfEachIntegerSpelling) {
  EXPECT_EQ(FormatMinutes(L"in %lld min", 7), L"in 7 min");
  EXPECT_EQ(FormatMinutes(L"in %d min", 7), L"in 7 min");
  EXPECT_EQ(FormatMinutes(L"in %ld min", 12), L"in 12 min");
  EXPECT_EQ(FormatMinutes(L"%I64d", 59), L"59");
}

TEST(FormatMinutes, OtherSequencesCannotReadMissingArguments) {
  EXPECT_EQ(FormatMinutes(L"100%% in %s %lld %d", 3), L"100% in %s 3 %d");
  EXPECT_EQ(FormatMinutes(L"trailing %", 3), L"trailing %");
  EXPECT_EQ(FormatMinutes(L"no number", 3), L"no number");
}

TEST(FormatMinutes, StopsAt256Characters) {
  const std::wstring sentence = FormatMinutes(std::wstring(300, L'x') + L"%lld", 5);
  EXPECT_EQ(sentence, std::wstring(256, L'x'));
}
