// The network test's grades: one per window of the stream that the media server echoes, from
// the link's counters at the window's end, by the in-lesson table (GradeLink).
//
// Loss is the share of the window's packets that did not come back. The counters cannot tell
// which packet came back, so those sent within the last round trip (and a slack for the server
// and the scheduler) may still be on their way: what goes missing beyond them counts as lost,
// once, and packets that come back late count as missing no more. What is missing when the
// echo starts was sent while the connection was being made: that window is not judged for
// loss. Round trip and jitter are the link's own figures.
//
// Before the first packet comes back the window shows no figures, which grades unknown (0)
// until the stream should have started: at once when a step of the set-up failed; from 400 ms
// after the start while the server has not opened a session (a reachable one does it in two
// round trips, and one of 200 ms already grades poor); from the in-lesson silence bound
// (GradeLink's 3 s) while the media connection is still being made.
#pragma once

#include <cstdint>

#include "engine_clock.h"
#include "net/quality_grade.h"

namespace rtc {

struct LinkCounters;

enum class EchoStage {
  kOpening,     // waiting for the server to open a session
  kConnecting,  // the session is open; the media connection is made and then carries the echo
  kFailed,
};

struct EchoSample {
  // Packets of the window.
  uint64_t sent = 0;
  uint64_t echoed = 0;
  uint64_t lost = 0;
  LinkMeasure measure;
  int grade = 0;
};

class EchoMeter {
 public:
  static constexpr Millis kServerAnswerMs = 400;
  static constexpr Millis kSlackMs = 50;

  // The window that ends elapsed ms after the start. counters: the link's since it started;
  // null while there is no link yet.
  EchoSample Next(Millis elapsed, EchoStage stage, const LinkCounters* counters);

 private:
  uint64_t sent_ = 0;  // the counters at the last window's end
  uint64_t echoed_ = 0;
  Millis last_at_ = 0;
  Millis last_echo_at_ = 0;  // the start until a packet comes back
  uint64_t lost_ = 0;        // so far, as far as the counters tell
};

}  // namespace rtc
