// Network quality of a participant's streams, graded from what was measured of them: each
// figure gives a grade by the table in quality_grade.cpp and the worst grade wins.
#pragma once

#include <cstdint>
#include <optional>

namespace rtc {

struct LinkMeasure {
  std::optional<double> loss_percent;  // share of packets lost in the last period
  std::optional<double> round_trip_ms;
  std::optional<double> jitter_ms;
  int64_t silent_ms = 0;  // since the last packet arrived
};

// QUALITY_UNKNOWN (0) while nothing is measured, QUALITY_DOWN (6) after 3 s without a packet.
int GradeLink(const LinkMeasure& measure);

}  // namespace rtc
