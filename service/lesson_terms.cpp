#include "service/lesson_terms.h"

#include <algorithm>
#include <cstdlib>

LessonRole RoleOfUserType(const std::string& user_type) {
  if (user_type == "1") return LessonRole::Teacher;
  if (user_type == "0") return LessonRole::Student;
  return LessonRole::Assistant;
}

LessonRole SeatOfUserType(const std::string& user_type) {
  const long value = std::strtol(user_type.c_str(), nullptr, 10);
  if (value == 1) return LessonRole::Teacher;
  if (value == 0) return LessonRole::Student;
  return LessonRole::Assistant;
}

LessonMoments LessonMomentsOf(std::int64_t start_time, std::int64_t duration,
                              std::int64_t countdown, std::int64_t forceclose) {
  constexpr std::int64_t kLatestStart = 253402300799;  // 9999-12-31 23:59:59 UTC
  constexpr std::int64_t kLongestSpan = 366 * 24 * 3600;
  LessonMoments moments;
  moments.start = std::clamp<std::int64_t>(start_time, 0, kLatestStart);
  moments.end = moments.start + std::clamp<std::int64_t>(duration, 0, kLongestSpan);
  moments.warn_at = moments.end - std::clamp<std::int64_t>(countdown, 0, kLongestSpan);
  moments.close = moments.end + std::clamp<std::int64_t>(forceclose, 0, kLongestSpan);
  return moments;
}
