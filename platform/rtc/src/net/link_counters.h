// A link's counters since it started, summed over its streams, and kept growing from the
// streams' own cumulative figures.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace rtc {

struct LinkCounters {
  uint64_t packets_received = 0;
  int64_t packets_lost_in = 0;  // of what this link receives
  uint64_t packets_sent = 0;
  int64_t packets_lost_out = 0;  // of what it sends, as the server reports it
  uint64_t bytes_received = 0;
  uint64_t bytes_sent = 0;
  std::optional<double> jitter_ms;      // the steadiest stream's
  std::optional<double> round_trip_ms;  // to the server, when it has reported one
};

// What one stream's statistics say, each figure counted since the stream began.
struct StreamFigures {
  enum class Kind { kReceived, kSent, kReportedLost };
  Kind kind = Kind::kReceived;
  uint64_t packets = 0;
  int64_t lost = 0;
  uint64_t bytes = 0;
};

// The session drops a source that stays silent for a while and counts it from zero when it
// sends again; summing the figures as they stand would then take a stream that came back
// for one still silent. The totals here add what each stream gained since the last reading.
class LinkTotals {
 public:
  // reading: every stream's figures, by its statistics id.
  void Add(const std::map<std::string, StreamFigures>& reading);
  // Without jitter and round trip, which are not totals.
  const LinkCounters& totals() const { return totals_; }

 private:
  std::map<std::string, StreamFigures> last_;
  LinkCounters totals_;
};

}  // namespace rtc
