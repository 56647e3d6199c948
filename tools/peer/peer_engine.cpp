#include "tools/peer/peer_engine.h"

#include <json/writer.h>

#include <cstdlib>
#include <functional>
#include <optional>

namespace {

// The engine's virtual devices (platform/rtc/README.md), offered when the machine has no
// device of that kind or the engine's configuration leaves the machine's out.
constexpr const char* kTestPatternCamera = "virtual:test-pattern";
constexpr const char* kToneMicrophone = "virtual:tone";
constexpr int kVolumeIntervalMs = 200;
constexpr int kVolumeSmoothing = 3;

using Failure = std::optional<std::string>;

Failure Check(int result, const std::string& what) {
  if (result == 0) return std::nullopt;
  return "engine: " + what + " failed (" + std::to_string(result) + ")";
}

template <typename Interface>
EnginePtr<Interface> Query(rtc::IRtcEngine& engine, rtc::INTERFACE_ID_TYPE id) {
  void* found = nullptr;
  if (engine.queryInterface(id, &found) != 0) found = nullptr;
  return EnginePtr<Interface>(static_cast<Interface*>(found));
}

Failure SelectionFailure(int result, const char* kind, const char* id) {
  if (result == 0) return std::nullopt;
  return std::string("engine: the ") + kind + " \"" + id + "\" cannot be selected (" +
         std::to_string(result) +
         "); a machine with devices of its own offers it only with {\"real_devices\": false} "
         "in the file that QUORVEL_RTC_CONFIG names";
}

Failure SelectVirtualDevices(rtc::IRtcEngine& engine, bool video) {
  if (video) {
    auto cameras = Query<rtc::IVideoDeviceManager>(engine, rtc::IID_VIDEO_DEVICE_MANAGER);
    if (!cameras) return "engine: no video device manager";
    if (Failure failed = SelectionFailure(cameras->setDevice(kTestPatternCamera),
                                          "test-pattern camera", kTestPatternCamera)) {
      return failed;
    }
  }
  auto microphones = Query<rtc::IAudioDeviceManager>(engine, rtc::IID_AUDIO_DEVICE_MANAGER);
  if (!microphones) return "engine: no audio device manager";
  return SelectionFailure(microphones->setRecordingDevice(kToneMicrophone), "tone microphone",
                          kToneMicrophone);
}

Failure SetParameters(rtc::IRtcEngine& engine, const LessonEntry& lesson, bool muted) {
  auto parameters = Query<rtc::IRtcEngineParameter>(engine, rtc::IID_RTC_ENGINE_PARAMETER);
  if (!parameters) return "engine: no parameter interface";
  // The engine's log, for finding out what a peer saw.
  if (const char* log = std::getenv("QUORVEL_PEER_LOG"); log != nullptr && *log != '\0') {
    if (Failure failed = Check(parameters->setString("rtc.log_file", log), "the engine log")) {
      return failed;
    }
  }
  if (lesson.media_server) {
    std::string text =
        R"({"rtc.media_server":)" + Json::valueToQuotedString(lesson.media_server->c_str()) + "}";
    if (Failure failed = Check(parameters->setParameters(text.c_str()), "setting " + text)) {
      return failed;
    }
  }
  if (!muted) return std::nullopt;
  constexpr const char* kMute = R"({"rtc.audio.mute_me":true})";
  return Check(parameters->setParameters(kMute), std::string("setting ") + kMute);
}

}  // namespace

std::variant<std::unique_ptr<PeerEngine>, std::string> PeerEngine::Join(
    const LessonEntry& lesson, const PeerOptions& options, rtc::IRtcEngineEventHandler& handler) {
  EnginePtr<rtc::IRtcEngine> engine(createRtcEngine());
  if (!engine) return std::string("engine: the factory gave no engine");
  rtc::RtcEngineContext context;
  context.eventHandler = &handler;
  context.appId = lesson.app_id.c_str();
  const AccessData& access = lesson.access;
  const std::function<Failure()> steps[] = {
      [&] { return Check(engine->initialize(context), "initialize"); },
      [&] { return SelectVirtualDevices(*engine, options.video); },
      [&] { return SetParameters(*engine, lesson, options.muted); },
      [&] { return options.video ? Check(engine->enableVideo(), "enableVideo") : std::nullopt; },
      [&] { return Check(engine->enableAudio(), "enableAudio"); },
      [&] {
        return Check(engine->enableAudioVolumeIndication(kVolumeIntervalMs, kVolumeSmoothing),
                     "enableAudioVolumeIndication");
      },
      [&] {
        return Check(engine->joinChannel(access.channel_key.c_str(), access.channel_name.c_str(),
                                         "", static_cast<rtc::uid_t>(access.uid)),
                     "joinChannel to \"" + access.channel_name + "\"");
      },
  };
  for (const auto& step : steps) {
    if (Failure failed = step()) return *failed;
  }
  return std::unique_ptr<PeerEngine>(new PeerEngine(std::move(engine)));
}

PeerEngine::~PeerEngine() { engine_->leaveChannel(); }
