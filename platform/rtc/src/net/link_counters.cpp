#include "net/link_counters.h"

#include <algorithm>

namespace rtc {

void LinkTotals::Add(const std::map<std::string, StreamFigures>& reading) {
  for (const auto& [id, now] : reading) {
    StreamFigures& before = last_[id];
    const bool restarted = now.packets < before.packets || now.bytes < before.bytes;
    const StreamFigures from = restarted ? StreamFigures{} : before;
    const uint64_t packets = now.packets - from.packets;
    const uint64_t bytes = now.bytes - from.bytes;
    // Duplicates can make a reported loss shrink; it never takes back what was counted.
    const int64_t lost = std::max<int64_t>(0, now.lost - from.lost);
    before = now;
    if (!restarted) before.lost = std::max(from.lost, now.lost);
    switch (now.kind) {
      case StreamFigures::Kind::kReceived:
        totals_.packets_received += packets;
        totals_.packets_lost_in += lost;
        totals_.bytes_received += bytes;
        break;
      case StreamFigures::Kind::kSent:
        totals_.packets_sent += packets;
        totals_.bytes_sent += bytes;
        break;
      case StreamFigures::Kind::kReportedLost:
        totals_.packets_lost_out += lost;
        break;
    }
  }
}

}  // namespace rtc
