#include "net/quality_grade.h"

#include <algorithm>
#include <iterator>

#include "rtc/rtc_base.h"

namespace rtc {
namespace {

// Upper bounds (exclusive) of grades 1 to 5; anything at or above the last is grade 6.
struct GradeBounds {
  double bound[5];
};
constexpr GradeBounds kLossPercent = {{1, 3, 8, 15, 30}};
constexpr GradeBounds kRoundTripMs = {{100, 200, 400, 800, 1600}};
constexpr GradeBounds kJitterMs = {{10, 20, 30, 50, 100}};
constexpr int64_t kSilentDownMs = 3000;

int Grade(const std::optional<double>& value, const GradeBounds& bounds) {
  if (!value) return QUALITY_UNKNOWN;
  const double* above = std::upper_bound(std::begin(bounds.bound), std::end(bounds.bound), *value);
  return static_cast<int>(above - std::begin(bounds.bound)) + QUALITY_EXCELLENT;
}

}  // namespace

int GradeLink(const LinkMeasure& measure) {
  if (measure.silent_ms >= kSilentDownMs) return QUALITY_DOWN;
  return std::max({Grade(measure.loss_percent, kLossPercent),
                   Grade(measure.round_trip_ms, kRoundTripMs),
                   Grade(measure.jitter_ms, kJitterMs)});
}

}  // namespace rtc
