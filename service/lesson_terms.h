// What a lesson's record means beyond its fields: whose lesson it is, and when its moments fall.
// Every window reads these from the record instead of reading the service's texts and figures.
#pragma once

#include <cstdint>
#include <string>

enum class LessonRole { Student, Teacher, Assistant };

// The service's user type as text, which picks the access request and the teacher's clock:
// exactly "1" teacher, exactly "0" student, anything else assistant.
LessonRole RoleOfUserType(const std::string& user_type);
// Its decimal value (leading digits), by which the classroom seats its tiles: 1 teacher, 0
// student (also an empty or non-numeric text, as before any login), anything else assistant.
LessonRole SeatOfUserType(const std::string& user_type);

// A lesson's moments, in seconds since 1970, in order: warn_at and end no later than close.
struct LessonMoments {
  std::int64_t start = 0;
  std::int64_t warn_at = 0;  // the countdown to the end begins
  std::int64_t end = 0;
  std::int64_t close = 0;  // the lesson is closed for everybody
};

// The service's figures held to what a lesson can be (a start before the year 10000, spans
// of at most a year, none negative), so no sum or difference with now can overflow.
LessonMoments LessonMomentsOf(std::int64_t start_time, std::int64_t duration,
                              std::int64_t countdown, std::int64_t forceclose);
