#include "lastmile_probe.h"
#include "rtc_engine_impl.h"
#include "screen_source.h"
#include "window_presenter.h"

extern "C" rtc::IRtcEngine* createRtcEngine() {
  // Shared by every engine of the process and never destroyed, so no engine outlives it.
  static rtc::WindowPresenter* presenter = new rtc::WindowPresenter;
  rtc::EngineOptions options;
  options.config = rtc::LoadEngineConfig();
  options.probe_target = rtc::DefaultProbeTarget();
  options.presenter = presenter;
  options.screen = rtc::OpenScreenSource;
  return rtc::NewRtcEngine(std::move(options));
}
