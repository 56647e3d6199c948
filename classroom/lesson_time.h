// What the lesson's two clocks (the alarm bar before the start, the status bar during the
// lesson) share: "now" by the computer's clock, and the sentences that the skins bring with
// one integer placeholder for a count of minutes.
#pragma once

#include <cstdint>
#include <string>

// Whole seconds since 1970-01-01 UTC.
std::int64_t NowSeconds();

// Seconds to a moment as whole minutes, rounded up (3601 s give 61); 0 for a moment passed.
std::int64_t MinutesRoundedUp(std::int64_t seconds);

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

// format with its one integer placeholder ("%d", "%ld", "%lld" or "%I64d"; "%%" is a percent
// sign) replaced by minutes, at most 256 characters. Any other "%" sequence is kept as written,
// so a skin's text can never read arguments it lacks.
std::wstring FormatMinutes(const std::wstring& format, std::int64_t minutes);
