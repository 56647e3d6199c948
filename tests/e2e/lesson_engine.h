// The media engine of a whole lesson in one test process: the built-in engine as the program
// gets it (frames drawn into the tiles' windows, the screen taken from the window system), but
// on a clock that the test moves together with the window system's virtual clock, configured
// from JSON text with virtual devices only. Its callbacks go to the process-wide event bridge,
// the one the classroom points at itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine_clock.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"

namespace e2e {

class LessonEngine {
 public:
  // config_json is what QUORVEL_RTC_CONFIG would name; a broken one fails the test.
  explicit LessonEngine(const std::string& config_json);
  ~LessonEngine();
  LessonEngine(const LessonEngine&) = delete;
  LessonEngine& operator=(const LessonEngine&) = delete;

  MediaEngine& media() { return *media_; }
  CAGEngineEventHandler& bridge() { return CAGEngineEventHandler::Instance(); }
  // Moves the engine's time on; its timed work (scenario, probe, frames) follows on its threads.
  void Advance(std::int64_t milliseconds) { clock_.Advance(milliseconds); }
  // The engine's time: milliseconds moved since it was built.
  std::int64_t Now() const { return clock_.Now(); }

 private:
  static rtc::IRtcEngine* Factory();

  rtc::ManualEngineClock clock_;
  std::string config_json_;
  // Released before the clock it runs on.
  std::unique_ptr<MediaEngine> media_;
};

}  // namespace e2e
