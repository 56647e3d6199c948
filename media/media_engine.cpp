#include "media/media_engine.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "media/engine_event_bridge.h"

namespace {

// Byte buffers of the engine boundary: 128 bytes for the id and the channel name, 512 for the
// mute text.
constexpr std::size_t kNameBytes = 127;
constexpr std::size_t kMuteTextBytes = 512;
constexpr int kMaxSignalVolume = 400;
constexpr int kScreenFramesPerSecond = 15;
constexpr const char* kJoinInfo = R"({"owner":true,"width":640,"height":480,"bitrate":500})";
constexpr const wchar_t* kLogFileName = L"MediaEngine.log";

}  // namespace

MediaEngine& MediaEngine::Instance() {
  // Destroyed at exit: the device lists, then the engine and its threads go before the window
  // system they draw into. The engine itself waits for its first use: its start watches the
  // machine's devices and connects to the sound server, which a start-up has no need of.
  static MediaEngine media(createRtcEngine, CAGEngineEventHandler::Instance());
  return media;
}

MediaEngine& MediaEngine::Instance(const std::wstring& app_id) {
  MediaEngine& media = Instance();
  media.Initialize(app_id);
  return media;
}

MediaEngine::MediaEngine(EngineFactory factory, rtc::IRtcEngineEventHandler& bridge)
    : factory_(factory),
      bridge_(bridge),
      speakers_({&rtc::IAudioDeviceManager::enumeratePlaybackDevices,
                 &rtc::IAudioDeviceManager::getPlaybackDevice,
                 &rtc::IAudioDeviceManager::setPlaybackDevice}),
      microphones_({&rtc::IAudioDeviceManager::enumerateRecordingDevices,
                    &rtc::IAudioDeviceManager::getRecordingDevice,
                    &rtc::IAudioDeviceManager::setRecordingDevice}),
      cameras_({&rtc::IVideoDeviceManager::enumerateVideoDevices,
                &rtc::IVideoDeviceManager::getDevice, &rtc::IVideoDeviceManager::setDevice}) {}

rtc::IRtcEngine* MediaEngine::Engine() {
  if (!engine_) engine_.reset(factory_());
  return engine_.get();
}

void MediaEngine::Initialize(const std::wstring& app_id) {
  std::string id = WideToAnsiBounded(app_id, kNameBytes);
  rtc::RtcEngineContext context;
  context.eventHandler = &bridge_;
  context.appId = id.c_str();
  Engine()->initialize(context);
  engine_app_id = app_id;
}

EnginePtr<rtc::IRtcEngineParameter> MediaEngine::Parameters() {
  void* found = nullptr;
  if (Engine()->queryInterface(rtc::IID_RTC_ENGINE_PARAMETER, &found) != 0) found = nullptr;
  return EnginePtr<rtc::IRtcEngineParameter>(static_cast<rtc::IRtcEngineParameter*>(found));
}

bool MediaEngine::UseDefaultLogFile() {
  EnginePtr<rtc::IRtcEngineParameter> parameters = Parameters();
  if (!parameters) return false;
  // The whole program path, however long: a log path cut to a fixed buffer would name
  // another file.
  std::vector<wchar_t> path(4096, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring program(path.data(), std::min<std::size_t>(length, path.size()));
  std::size_t folder_end = program.find_last_of(L"\\/");
  std::wstring log_path =
      (folder_end == std::wstring::npos ? std::wstring() : program.substr(0, folder_end + 1)) +
      kLogFileName;
  std::replace(log_path.begin(), log_path.end(), L'\\', L'/');
  std::string utf8 = WideToUtf8Bounded(log_path, log_path.size() * 4);
  std::vector<char> converted(utf8.size() + 4096, '\0');
  const char* chosen = utf8.c_str();
  if (parameters->convertPath(utf8.c_str(), converted.data(), converted.size()) == 0) {
    chosen = converted.data();
  }
  return parameters->setString("rtc.log_file", chosen) == 0;
}

bool MediaEngine::SetMediaServer(const std::string& media_server) {
  if (media_server.empty()) return true;
  EnginePtr<rtc::IRtcEngineParameter> parameters = Parameters();
  return parameters && parameters->setString("rtc.media_server", media_server.c_str()) == 0;
}

bool MediaEngine::Join(const std::wstring& channel, uint32_t uid, const std::string& channel_key,
                       const std::string& media_server) {
  if (!SetMediaServer(media_server)) return false;
  std::string name = WideToAnsiBounded(channel, kNameBytes);
  if (Engine()->joinChannel(channel_key.c_str(), name.c_str(), kJoinInfo, uid) != 0) return false;
  channel_name = channel;
  return true;
}

bool MediaEngine::ShareScreen(const RECT* region, bool on) {
  int result;
  if (on) {
    rtc::Rect rect;
    if (region != nullptr) {
      rect.top = region->top;
      rect.left = region->left;
      rect.bottom = region->bottom;
      rect.right = region->right;
    }
    result = Engine()->startScreenCapture(nullptr, kScreenFramesPerSecond,
                                          region != nullptr ? &rect : nullptr, 0);
  } else {
    result = Engine()->stopScreenCapture();
  }
  if (result != 0) return false;
  screen_share_on = on;
  return true;
}

bool MediaEngine::SetMicrophoneMuted(bool muted) {
  EnginePtr<rtc::IRtcEngineParameter> parameters = Parameters();
  if (!parameters) return false;
  char text[kMuteTextBytes];
  const char* value = muted ? "true" : "false";
  std::snprintf(text, sizeof text, R"({"rtc.audio.mute_me":%s,"che.audio.mute_me":%s})", value,
                value);
  if (parameters->setParameters(text) != 0) return false;
  microphone_muted = muted;
  return true;
}

int MediaEngine::SetMirror(int mode) {
  static constexpr const char* kMirrorValues[] = {"default", "forceMirror", "disableMirror"};
  EnginePtr<rtc::IRtcEngineParameter> parameters = Parameters();
  if (!parameters) return rtc::ERR_NOT_INITIALIZED;
  if (mode < 0 || mode > 2) return rtc::ERR_INVALID_ARGUMENT;
  return parameters->setString("che.video.localViewMirrorSetting", kMirrorValues[mode]);
}

bool MediaEngine::SetSignalVolume(const char* key, int volume) {
  if (volume <= 0) return false;
  EnginePtr<rtc::IRtcEngineParameter> parameters = Parameters();
  if (!parameters) return false;
  return parameters->setInt(key, std::min(volume, kMaxSignalVolume)) == 0;
}

bool MediaEngine::SetPlayoutSignalVolume(int volume) {
  return SetSignalVolume("che.audio.playout.signal.volume", volume);
}

bool MediaEngine::SetRecordSignalVolume(int volume) {
  return SetSignalVolume("che.audio.record.signal.volume", volume);
}

bool MediaEngine::EnableVideo(bool on) {
  if ((on ? Engine()->enableVideo() : Engine()->disableVideo()) != 0) return false;
  video_enabled = on;
  return true;
}

void MediaEngine::EnableAudio(bool on) {
  if (on) {
    Engine()->enableAudio();
  } else {
    Engine()->disableAudio();
  }
  audio_enabled = on;
}

bool MediaEngine::OpenSpeakerList() {
  return speakers_.Open(*Engine(), rtc::IID_AUDIO_DEVICE_MANAGER);
}

bool MediaEngine::OpenMicrophoneList() {
  return microphones_.Open(*Engine(), rtc::IID_AUDIO_DEVICE_MANAGER);
}

bool MediaEngine::OpenCameraList() {
  return cameras_.Open(*Engine(), rtc::IID_VIDEO_DEVICE_MANAGER);
}

rtc::IAudioDeviceCollection* MediaEngine::RefreshMicrophones() { return microphones_.Refresh(); }

rtc::IVideoDeviceCollection* MediaEngine::RefreshCameras() { return cameras_.Refresh(); }

int MediaEngine::MicrophoneCount() const { return microphones_.Count(); }

int MediaEngine::CameraCount() const { return cameras_.Count(); }

bool MediaEngine::MicrophoneAt(int index, std::wstring& name, std::wstring& id) const {
  return microphones_.At(index, name, id);
}

bool MediaEngine::CameraAt(int index, std::wstring& name, std::wstring& id) const {
  return cameras_.At(index, name, id);
}

std::wstring MediaEngine::CurrentMicrophone() const { return microphones_.Current(); }

std::wstring MediaEngine::CurrentCamera() const { return cameras_.Current(); }

bool MediaEngine::SelectMicrophone(const std::wstring& id) { return microphones_.Select(id); }

bool MediaEngine::SelectCamera(const std::wstring& id) {
  if (!cameras_.Select(id)) return false;
  screen_share_on = false;
  return true;
}
