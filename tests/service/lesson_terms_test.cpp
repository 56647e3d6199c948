#include "service/lesson_terms.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(LessonRole, TheTextPicksTheAccessAndItsValueTheSeat) {
  struct Case {
    const char* user_type;
    LessonRole role, seat;
  };
  const Case cases[] = {{"1", LessonRole::Teacher, LessonRole::Teacher},
                        {"0", LessonRole::Student, LessonRole::Student},
                        {"2", LessonRole::Assistant, LessonRole::Assistant},
                        {"", LessonRole::Assistant, LessonRole::Student},
                        {"01", LessonRole::Assistant, LessonRole::Teacher},
                        {"1 ", LessonRole::Assistant, LessonRole::Teacher},
                        {"x", LessonRole::Assistant, LessonRole::Student}};
  for (const Case& c : cases) {
    EXPECT_EQ(RoleOfUserType(c.user_type), c.role) << '"' << c.user_type << '"';
    EXPECT_EQ(SeatOfUserType(c.user_type), c.seat) << '"' << c.user_type << '"';
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
      {INT64_MAX,
       INT64_MAX,
       0,
       INT64_MAX,
       {kLast, kLast + kYear, kLast + kYear, kLast + 2 * kYear}},
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

}  // namespace
