// The pieces the lesson's two clocks share: "now" in whole seconds, minutes rounded up, the
// lesson's moments from the service's figures, and the skins' sentences filled safely.
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
      {1, 1}, {59, 1}, {60, 1}, {61, 2}, {3600, 60}, {3601, 61}, {0, 0}, {-5, 0},
      {INT64_MAX, INT64_MAX / 60 + 1}};
  for (const auto& [seconds, minutes] : seconds_to_minutes) {
    EXPECT_EQ(MinutesRoundedUp(seconds), minutes) << seconds;
  }
}

TEST(LessonMomentsOf, HoldsTheServicesFiguresToWhatALessonCanBe) {
  struct Case {
    std::int64_t start_time, duration, countdown, forceclose;
    LessonMoments expected;
  };
  constexpr std::int64_t kYear = 366 * 24 * 3600;
  constexpr std::int64_t kLast = 253402300799;
  const Case cases[] = {
      {1000, 1800, 300, 600, {1000, 2500, 2800, 3400}},
      {INT64_MAX, INT64_MAX, 0, INT64_MAX, {kLast, kLast + kYear, kLast + kYear, kLast + 2 * kYear}},
      {INT64_MIN, -10, INT64_MIN, -1, {0, 0, 0, 0}},
      {100, 10, INT64_MAX, 0, {100, 110 - kYear, 110, 110}},
  };
  for (const Case& c : cases) {
    const LessonMoments at = LessonMomentsOf(c.start_time, c.duration, c.countdown, c.forceclose);
    EXPECT_EQ(at.start, c.expected.start) << c.start_time;
    EXPECT_EQ(at.warn_at, c.expected.warn_at) << c.start_time;
    EXPECT_EQ(at.end, c.expected.end) << c.start_time;
    EXPECT_EQ(at.close, c.expected.close) << c.start_time;
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
