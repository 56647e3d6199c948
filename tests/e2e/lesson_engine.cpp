#include "tests/e2e/lesson_engine.h"

#include <gtest/gtest.h>

#include "engine_config.h"
#include "rtc_engine_impl.h"
#include "screen_source.h"
#include "window_presenter.h"

namespace e2e {

namespace {

// MediaEngine takes a plain factory function: it finds the one engine of the test here.
LessonEngine* g_current = nullptr;

}  // namespace

LessonEngine::LessonEngine(const std::string& config_json) : config_json_(config_json) {
  g_current = this;
  media_ = std::make_unique<MediaEngine>(&LessonEngine::Factory, bridge());
}

LessonEngine::~LessonEngine() {
  media_.reset();
  bridge().SetTargetWindow(nullptr);
  if (g_current == this) g_current = nullptr;
}

rtc::IRtcEngine* LessonEngine::Factory() {
  // Shared by every engine of the process and never destroyed, as in the program.
  static rtc::WindowPresenter* presenter = new rtc::WindowPresenter;
  if (g_current == nullptr) return nullptr;
  rtc::EngineOptions options;
  options.clock = &g_current->clock_;
  options.config = rtc::ParseEngineConfig(g_current->config_json_);
  // These engines meet the scenario's participants unless the text names a channel.
  if (g_current->config_json_.find("\"channel\"") == std::string::npos)
    options.config.config.simulated_channel = true;
  EXPECT_EQ(options.config.error, "") << g_current->config_json_;
  // Only where the configuration does not leave the machine's devices out.
  options.machine_devices = rtc::WatchMachineDevices;
  options.probe_target = rtc::ProbeTarget{"127.0.0.1", "9"};
  options.presenter = presenter;
  options.screen = rtc::OpenScreenSource;
  return rtc::NewRtcEngine(std::move(options));
}

}  // namespace e2e
