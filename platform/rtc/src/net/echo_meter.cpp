#include "net/echo_meter.h"

#include <algorithm>
#include <cmath>

#include "net/webrtc_link.h"
#include "rtc/rtc_base.h"

namespace rtc {
namespace {

uint64_t Increase(uint64_t now, uint64_t before) { return now > before ? now - before : 0; }

}  // namespace

EchoSample EchoMeter::Next(Millis elapsed, EchoStage stage, const LinkCounters* counters) {
  const LinkCounters now = counters != nullptr ? *counters : LinkCounters{};
  const Millis period = std::max<Millis>(1, elapsed - last_at_);
  const bool starting = echoed_ == 0;
  EchoSample sample;
  sample.sent = Increase(now.packets_sent, sent_);
  sample.echoed = Increase(now.packets_received, echoed_);
  if (sample.echoed > 0) last_echo_at_ = elapsed;
  sample.measure.silent_ms = elapsed - last_echo_at_;
  sent_ = now.packets_sent;
  echoed_ = now.packets_received;
  last_at_ = elapsed;

  if (stage == EchoStage::kFailed) {
    sample.grade = QUALITY_DOWN;
    return sample;
  }
  if (now.packets_received == 0) {
    bool unanswered = stage == EchoStage::kOpening && elapsed >= kServerAnswerMs;
    sample.grade = unanswered ? QUALITY_DOWN : GradeLink(sample.measure);
    return sample;
  }
  const double in_flight_ms = now.round_trip_ms.value_or(0.0) + kSlackMs;
  const auto in_flight = static_cast<uint64_t>(
      std::ceil(static_cast<double>(sample.sent) * in_flight_ms / static_cast<double>(period)));
  const uint64_t missing = Increase(now.packets_sent, now.packets_received);
  const uint64_t lost =
      starting ? missing : std::min(missing, std::max(lost_, Increase(missing, in_flight)));
  if (!starting) {
    sample.lost = Increase(lost, lost_);
    // Lost packets sent in an earlier window count against this one's when it sent fewer.
    const uint64_t judged = std::max(sample.sent, sample.lost);
    if (judged > 0) {
      sample.measure.loss_percent =
          100.0 * static_cast<double>(sample.lost) / static_cast<double>(judged);
    }
  }
  lost_ = lost;
  sample.measure.round_trip_ms = now.round_trip_ms;
  sample.measure.jitter_ms = now.jitter_ms;
  sample.grade = GradeLink(sample.measure);
  return sample;
}

}  // namespace rtc
