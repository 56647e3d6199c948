// The built-in engine as a participant without a window: created through the engine's
// factory, initialised with the lesson's application id, its virtual devices selected, and in
// the lesson's channel for as long as it lives. Remote video is received and reported but
// drawn nowhere: no canvas is set up.
#pragma once

#include <memory>
#include <string>
#include <variant>

#include "media/engine_interfaces.h"
#include "rtc/rtc_engine.h"
#include "tools/peer/lesson_login.h"
#include "tools/peer/peer_options.h"

class PeerEngine {
 public:
  // The engine once joinChannel has been accepted (the join's outcome then arrives at the
  // handler, which must outlive the engine), or the step that failed with the engine's code.
  static std::variant<std::unique_ptr<PeerEngine>, std::string> Join(
      const LessonEntry& lesson, const PeerOptions& options, rtc::IRtcEngineEventHandler& handler);
  // Leaves the channel, then releases the engine.
  ~PeerEngine();
  PeerEngine(const PeerEngine&) = delete;
  PeerEngine& operator=(const PeerEngine&) = delete;

 private:
  explicit PeerEngine(EnginePtr<rtc::IRtcEngine> engine) : engine_(std::move(engine)) {}

  EnginePtr<rtc::IRtcEngine> engine_;
};
