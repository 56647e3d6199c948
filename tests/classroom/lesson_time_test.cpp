// The pieces the lesson's two clocks share: "now" in whole seconds, minutes rounded up within
// the hour, and the skins' sentences filled safely.
#include "classroom/lesson_time.h"

#include <gtest/gtest.h>
#include <win/headless.h>

#include <string>

TEST(NowSeconds, ReadsTheComputersClockInWholeSeconds) {
  win::headless::SetUnixTime(1'800'000'000);
  EXPECT_EQ(NowSeconds(), 1'800'000'000);
  win::headless::AdvanceClock(999);
  EXPECT_EQ(NowSeconds(), 1'800'000'000);
  win::headless::AdvanceClock(1);
  EXPECT_EQ(NowSeconds(), 1'800'000'001);
}

TEST(MinutesWithinHour, RoundsUpToWholeMinutes) {
  EXPECT_EQ(MinutesWithinHour(1), 1);
  EXPECT_EQ(MinutesWithinHour(59), 1);
  EXPECT_EQ(MinutesWithinHour(60), 1);
  EXPECT_EQ(MinutesWithinHour(61), 2);
  EXPECT_EQ(MinutesWithinHour(599), 10);
}

TEST(MinutesWithinHour, ShowsTheMinutesWithinTheHour) {
  EXPECT_EQ(MinutesWithinHour(3540), 59);
  EXPECT_EQ(MinutesWithinHour(3600), 0);
  EXPECT_EQ(MinutesWithinHour(3601), 1);
  EXPECT_EQ(MinutesWithinHour(2 * 3600), 0);
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
