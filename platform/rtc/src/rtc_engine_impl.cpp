#include "rtc_engine_impl.h"

#include <algorithm>
#include <cstdlib>

#include "capture_source.h"
#include "net/network_channel.h"
#include "simulated_channel.h"

namespace rtc {
namespace {

struct ProfileSize {
  int profile;
  int width;
  int height;
};
constexpr ProfileSize kVideoProfiles[] = {
    {VIDEO_PROFILE_120P, 160, 120}, {VIDEO_PROFILE_180P, 320, 180}, {VIDEO_PROFILE_240P, 320, 240},
    {VIDEO_PROFILE_360P, 640, 360}, {VIDEO_PROFILE_480P, 640, 480}, {VIDEO_PROFILE_720P, 1280, 720},
};
constexpr int kMaxAudioProfile = 5;
constexpr int kMaxAudioScenario = 5;
constexpr int kMaxSignalVolume = 400;
constexpr int kMaxScreenRate = VideoPipeline::kFramesPerSecond;
constexpr int kLocalVideoKbps = 500;
constexpr int kLocalAudioKbps = 48;
constexpr const char* kMediaServerPort = "8088";

}  // namespace

IRtcEngine* NewRtcEngine(EngineOptions options) { return new RtcEngineImpl(std::move(options)); }

RtcEngineImpl::RtcEngineImpl(EngineOptions options)
    : own_clock_(options.clock ? nullptr : std::make_unique<SteadyEngineClock>()),
      clock_(options.clock ? *options.clock : *own_clock_),
      config_(options.config.config),
      config_error_(options.config.error),
      screen_(std::move(options.screen)),
      camera_(std::move(options.camera)),
      sink_(dispatcher_, log_),
      timeline_(clock_),
      machine_devices_(config_.real_devices && options.machine_devices
                           ? options.machine_devices([this] {
                               if (watching_) timeline_.After(0, [this] { WatchDevices(); });
                             })
                           : nullptr),
      devices_(
          config_,
          [this] { return machine_devices_ ? machine_devices_->Current() : MachineDevices{}; }),
      parameters_([this](const std::string& key, const Json::Value& value) {
        return ApplyParameter(key, value);
      }),
      video_(clock_, sink_, *options.presenter),
      probe_(config_.scenario.lastmile, timeline_, sink_) {
  if (config_.simulated_channel) {
    channel_ = std::make_unique<SimulatedChannel>(
        config_.scenario, clock_, timeline_, sink_, video_,
        SimulatedChannel::Hooks{[this](const DeviceEvent& event) { OnScenarioDeviceEvent(event); },
                                [this](RtcStats& stats) { FillLocalStats(stats); }});
  } else {
    channel_ = std::make_unique<NetworkChannel>(clock_, timeline_, sink_, video_);
  }
  const char* server = std::getenv("QUORVEL_MEDIA_SERVER");
  default_media_server_ =
      server != nullptr && *server != '\0'
          ? std::string(server)
          : "http://" + options.probe_target.host + ":" + kMediaServerPort + "/janus";
}

RtcEngineImpl::~RtcEngineImpl() = default;

void RtcEngineImpl::release() {
  // The opener and timed work first, so that nothing reaches the parts being taken down; the
  // dispatcher is the last member to go and delivers what was already queued.
  opener_.Stop();
  timeline_.Stop();
  probe_.Stop();
  log_.Write("engine released");
  delete this;
}

int RtcEngineImpl::initialize(const RtcEngineContext& context) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (initialized_) return ERR_REFUSED;
  if (context.eventHandler == nullptr || context.appId == nullptr) return ERR_INVALID_ARGUMENT;
  initialized_ = true;
  // The built-in engine has no account to check the id against; an empty one only gets noted.
  log_.Write("initialised for application \"%s\"", context.appId);
  dispatcher_.SetHandler(context.eventHandler);
  sink_.Emit("onMediaEngineLoadSuccess",
             [](IRtcEngineEventHandler& h) { h.onMediaEngineLoadSuccess(); });
  if (!config_error_.empty()) {
    std::string error = config_error_;
    sink_.Emit("onError", [error](IRtcEngineEventHandler& h) {
      h.onError(ERR_INVALID_ARGUMENT, error.c_str());
    });
  }
  // What changed before this is reported now; later changes as they happen.
  watching_ = true;
  timeline_.After(0, [this] { WatchDevices(); });
  return ERR_OK;
}

int RtcEngineImpl::queryInterface(INTERFACE_ID_TYPE iid, void** inter) {
  if (inter == nullptr) return ERR_INVALID_ARGUMENT;
  *inter = nullptr;
  switch (iid) {
    case IID_AUDIO_DEVICE_MANAGER:
      *inter = NewAudioDeviceManager(devices_, *this, config_.unavailable_device_lists);
      return ERR_OK;
    case IID_VIDEO_DEVICE_MANAGER:
      *inter = NewVideoDeviceManager(devices_, *this, config_.unavailable_device_lists);
      return ERR_OK;
    case IID_RTC_ENGINE_PARAMETER:
      *inter = parameters_.NewHandle();
      return ERR_OK;
  }
  return ERR_INVALID_ARGUMENT;
}

int RtcEngineImpl::joinChannel(const char* channelKey, const char* channelName, const char* info,
                               uid_t uid) {
  (void)info;
  return WhenInitialized([&]() -> int {
    if (channelKey == nullptr || channelName == nullptr || *channelName == '\0') {
      return ERR_INVALID_ARGUMENT;
    }
    // The network test ends with the join; it may not be running.
    probe_.Stop();
    in_channel_ = true;
    SyncMediaLocked();  // the channel publishes what the state asks for from the start
    int result = channel_->Join(JoinRequest{channelName, channelKey, uid, MediaServerLocked()});
    if (result != ERR_OK) {
      in_channel_ = false;
      SyncMediaLocked();
      return result;
    }
    local_uid_ = channel_->local_uid();
    // The test pattern shows the uid, which is known from here on.
    local_camera_id_.clear();
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::leaveChannel() {
  return WhenInitialized([&]() -> int {
    int result = channel_->Leave();
    if (result != ERR_OK) return result;
    in_channel_ = false;
    // A capture belongs to its channel: the next one starts with the camera.
    if (screen_capturing_) {
      screen_capturing_ = false;
      log_.Write("screen capture ended: the channel was left");
    }
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::startPreview() {
  return WhenInitialized([&]() -> int {
    preview_ = true;
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::stopPreview() {
  return WhenInitialized([&]() -> int {
    preview_ = false;
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::enableVideo() {
  return WhenInitialized([&]() -> int {
    video_enabled_ = true;
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::disableVideo() {
  return WhenInitialized([&]() -> int {
    video_enabled_ = false;
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::enableAudio() {
  return WhenInitialized([&]() -> int {
    audio_enabled_ = true;
    SyncMediaLocked();
    log_.Write("audio enabled");
    return ERR_OK;
  });
}

int RtcEngineImpl::disableAudio() {
  return WhenInitialized([&]() -> int {
    audio_enabled_ = false;
    SyncMediaLocked();
    log_.Write("audio disabled");
    return ERR_OK;
  });
}

int RtcEngineImpl::setVideoProfile(int profile, bool swapWidthAndHeight) {
  return WhenInitialized([&]() -> int {
    const ProfileSize* found =
        std::find_if(std::begin(kVideoProfiles), std::end(kVideoProfiles),
                     [profile](const ProfileSize& p) { return p.profile == profile; });
    if (found == std::end(kVideoProfiles)) return ERR_INVALID_ARGUMENT;
    video_width_ = swapWidthAndHeight ? found->height : found->width;
    video_height_ = swapWidthAndHeight ? found->width : found->height;
    log_.Write("video profile %d: %d x %d", profile, video_width_, video_height_);
    // A running camera restarts at the new size; its next frame reports the change.
    local_camera_id_.clear();
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::setupLocalVideo(const VideoCanvas& canvas) {
  return WhenInitialized([&]() -> int {
    video_.SetLocalCanvas(canvas.view, canvas.renderMode);
    return ERR_OK;
  });
}

int RtcEngineImpl::setupRemoteVideo(const VideoCanvas& canvas) {
  return WhenInitialized([&]() -> int {
    if (canvas.uid == 0) return ERR_INVALID_ARGUMENT;
    video_.SetRemoteCanvas(canvas.uid, canvas.view, canvas.renderMode);
    return ERR_OK;
  });
}

int RtcEngineImpl::setAudioProfile(int profile, int scenario) {
  return WhenInitialized([&]() -> int {
    if (profile < 0 || profile > kMaxAudioProfile || scenario < 0 || scenario > kMaxAudioScenario) {
      return ERR_INVALID_ARGUMENT;
    }
    audio_profile_ = profile;
    audio_scenario_ = scenario;
    log_.Write("audio profile %d, scenario %d", profile, scenario);
    return ERR_OK;
  });
}

int RtcEngineImpl::enableAudioVolumeIndication(int interval, int smooth) {
  (void)smooth;
  return WhenInitialized([&]() -> int {
    if (interval < 0) return ERR_INVALID_ARGUMENT;
    timeline_.Cancel(volume_task_);
    volume_task_ = interval > 0 ? timeline_.Every(interval, [this] { ReportVolumes(); }) : 0;
    return ERR_OK;
  });
}

int RtcEngineImpl::startScreenCapture(view_t windowId, int captureFreq, const Rect* rect,
                                      int bitrate) {
  (void)bitrate;
  return WhenInitialized([&]() -> int {
    if (windowId != nullptr) return ERR_NOT_SUPPORTED;
    if (captureFreq <= 0 || captureFreq > kMaxScreenRate) return ERR_INVALID_ARGUMENT;
    if (rect != nullptr && (rect->right <= rect->left || rect->bottom <= rect->top)) {
      return ERR_INVALID_ARGUMENT;
    }
    // A capture that runs follows the new region from its next frame: the publisher goes on
    // with the same stream.
    bool follows = screen_capturing_ && local_camera_id_ == "screen" && captureFreq == screen_rate_;
    screen_capturing_ = true;
    screen_region_.Set(rect);
    screen_rate_ = captureFreq;
    if (rect != nullptr) {
      log_.Write("screen capture of (%d, %d)-(%d, %d) at %d fps", rect->left, rect->top,
                 rect->right, rect->bottom, captureFreq);
    } else {
      log_.Write("screen capture of the screen at %d fps", captureFreq);
    }
    if (follows) return ERR_OK;
    local_camera_id_.clear();
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::stopScreenCapture() {
  return WhenInitialized([&]() -> int {
    if (!screen_capturing_) return ERR_REFUSED;
    screen_capturing_ = false;
    log_.Write("screen capture stopped");
    UpdateLocalVideoLocked();
    return ERR_OK;
  });
}

int RtcEngineImpl::enableLastmileTest() {
  return WhenInitialized([&]() -> int { return probe_.Start(MediaServerLocked()); });
}

int RtcEngineImpl::disableLastmileTest() {
  return WhenInitialized([&]() -> int { return probe_.Stop(); });
}

void RtcEngineImpl::OnDeviceSelected(DeviceKind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (kind == DeviceKind::kCamera) {
    // A chosen camera is the local video's source again, even the one already chosen: a
    // running screen capture ends here, and the video's restart that follows sends the camera.
    if (screen_capturing_) {
      screen_capturing_ = false;
      log_.Write("screen capture ended: a camera was selected");
    }
    UpdateLocalVideoLocked();
  } else if (kind == DeviceKind::kSpeaker) {
    std::optional<DeviceInfo> speaker = devices_.Current(DeviceKind::kSpeaker);
    std::vector<DeviceInfo> speakers = devices_.List(DeviceKind::kSpeaker);
    auto at = std::find_if(speakers.begin(), speakers.end(),
                           [&](const DeviceInfo& d) { return speaker && d.id == speaker->id; });
    int routing = static_cast<int>(at - speakers.begin());
    sink_.Emit("onAudioRouteChanged",
               [routing](IRtcEngineEventHandler& h) { h.onAudioRouteChanged(routing); });
  }
  SyncMediaLocked();
}

int RtcEngineImpl::ApplyParameter(const std::string& key, const Json::Value& value) {
  int result = ERR_OK;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (key == "rtc.log_file") {
      result = value.isString() ? log_.Open(value.asString()) : ERR_INVALID_ARGUMENT;
    } else if (key == "rtc.audio.mute_me" || key == "che.audio.mute_me") {
      if (value.isBool()) {
        audio_muted_ = value.asBool();
        SyncMediaLocked();
        log_.Write("local audio %s", audio_muted_ ? "muted" : "sent");
      } else {
        result = ERR_INVALID_ARGUMENT;
      }
    } else if (key == "rtc.media_server") {
      if (value.isString()) {
        media_server_ = value.asString();
      } else {
        result = ERR_INVALID_ARGUMENT;
      }
    } else if (key == "che.video.localViewMirrorSetting") {
      std::string mode = value.isString() ? value.asString() : "";
      if (mode == "default" || mode == "forceMirror" || mode == "disableMirror") {
        mirrored_ = mode != "disableMirror";
        video_.SetMirror(mirrored_);
      } else {
        result = ERR_INVALID_ARGUMENT;
      }
    } else if (key == "che.audio.playout.signal.volume" ||
               key == "che.audio.record.signal.volume") {
      if (value.isInt() && value.asInt() >= 0 && value.asInt() <= kMaxSignalVolume) {
        (key == "che.audio.playout.signal.volume" ? playout_volume_ : record_volume_) =
            value.asInt();
        SyncMediaLocked();
      } else {
        result = ERR_INVALID_ARGUMENT;
      }
    }
  }
  log_.Write("parameter %s = %s: %d", key.c_str(), value.toStyledString().c_str(), result);
  std::string api = key;
  sink_.Emit("onApiCallExecuted", [api, result](IRtcEngineEventHandler& h) {
    h.onApiCallExecuted(api.c_str(), result);
  });
  return result;
}

void RtcEngineImpl::OnScenarioDeviceEvent(const DeviceEvent& event) {
  if (!devices_.SetVirtualPlugged(event.device_id, event.plugged)) {
    log_.Write("scenario names no virtual device \"%s\"", event.device_id.c_str());
    return;
  }
  // The channel's lock is held here: the check runs as timed work of its own.
  timeline_.After(0, [this] { WatchDevices(); });
}

void RtcEngineImpl::WatchDevices() {
  for (const DeviceRegistry::Change& change : devices_.Refresh()) {
    std::string id = change.id;
    int state = change.plugged ? MEDIA_DEVICE_STATE_ACTIVE : MEDIA_DEVICE_STATE_UNPLUGGED;
    if (change.kind == DeviceKind::kCamera) {
      sink_.Emit("onVideoDeviceStateChanged", [id, state](IRtcEngineEventHandler& h) {
        h.onVideoDeviceStateChanged(id.c_str(), VIDEO_CAPTURE_DEVICE, state);
      });
    } else {
      int type =
          change.kind == DeviceKind::kMicrophone ? AUDIO_RECORDING_DEVICE : AUDIO_PLAYOUT_DEVICE;
      sink_.Emit("onAudioDeviceStateChanged", [id, type, state](IRtcEngineEventHandler& h) {
        h.onAudioDeviceStateChanged(id.c_str(), type, state);
      });
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  UpdateLocalVideoLocked();
}

void RtcEngineImpl::FillLocalStats(RtcStats& stats) {
  stats.txVideoKBitRate = sending_video_ ? kLocalVideoKbps : 0;
  stats.txAudioKBitRate = sending_audio_ ? kLocalAudioKbps : 0;
  stats.txKBitRate = stats.txVideoKBitRate + stats.txAudioKBitRate;
  stats.txBytes = stats.txKBitRate * 125 * stats.duration;
  if (sending_video_) {
    LocalVideoStats video{kLocalVideoKbps, VideoPipeline::kFramesPerSecond};
    sink_.Emit("onLocalVideoStats",
               [video](IRtcEngineEventHandler& h) { h.onLocalVideoStats(video); });
  }
}

void RtcEngineImpl::ReportVolumes() {
  std::vector<AudioVolumeInfo> speakers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!in_channel_) return;
    speakers = channel_->Levels();
  }
  unsigned total = 0;
  for (const AudioVolumeInfo& speaker : speakers) total = std::max(total, speaker.volume);
  sink_.Emit("onAudioVolumeIndication", [speakers, total](IRtcEngineEventHandler& h) {
    h.onAudioVolumeIndication(speakers.data(), static_cast<unsigned>(speakers.size()),
                              static_cast<int>(total));
  });
}

void RtcEngineImpl::SyncMediaLocked() {
  sending_audio_ = SendsAudioLocked();
  LocalMedia media;
  media.send_video = sending_video_;
  media.send_audio = sending_audio_;
  std::optional<DeviceInfo> microphone = devices_.Current(DeviceKind::kMicrophone);
  std::optional<DeviceInfo> speaker = devices_.Current(DeviceKind::kSpeaker);
  if (microphone) media.microphone = microphone->node;
  if (speaker) media.speaker = speaker->node;
  media.record_volume = record_volume_;
  media.playout_volume = playout_volume_;
  media.width = video_width_;
  media.height = video_height_;
  channel_->SetLocalMedia(media);
}

std::string RtcEngineImpl::MediaServerLocked() const {
  return media_server_.empty() ? default_media_server_ : media_server_;
}

bool RtcEngineImpl::SendsAudioLocked() const {
  return in_channel_ && audio_enabled_ && !audio_muted_ &&
         devices_.Current(DeviceKind::kMicrophone).has_value();
}

void RtcEngineImpl::UpdateLocalVideoLocked() {
  ApplyLocalVideoLocked();
  SyncMediaLocked();
}

void RtcEngineImpl::ApplyLocalVideoLocked() {
  bool wanted = video_enabled_ && (preview_ || in_channel_);
  if (wanted && screen_capturing_) {
    if (local_camera_id_ != "screen") {
      std::string note;
      SetLocalSourceLocked(
          screen_(screen_region_, screen_rate_, video_width_, video_height_, note));
      if (!note.empty()) log_.Write("screen: %s", note.c_str());
      local_camera_id_ = "screen";
    }
    sending_video_ = in_channel_;
    return;
  }
  std::optional<DeviceInfo> camera = wanted ? devices_.Current(DeviceKind::kCamera) : std::nullopt;
  std::string id = camera ? camera->id : std::string();
  sending_video_ = in_channel_ && camera.has_value();
  if (id == local_camera_id_) return;
  bool was_running = !local_camera_id_.empty();
  local_camera_id_ = id;
  if (!camera) {
    SetLocalSourceLocked(nullptr);
    if (was_running)
      sink_.Emit("onVideoStopped", [](IRtcEngineEventHandler& h) { h.onVideoStopped(); });
    return;
  }
  log_.Write("camera \"%s\" captured", id.c_str());
  if (camera->node.empty()) {
    SetLocalSourceLocked(std::make_unique<PatternSource>(local_uid_, video_width_, video_height_,
                                                         config_.pattern_time_code));
    return;
  }
  OpenCameraLocked(*camera);
}

void RtcEngineImpl::SetLocalSourceLocked(std::unique_ptr<VideoSource> source) {
  ++local_source_ticket_;
  // A camera may take a while to close: not under the lock.
  opener_.LetGo(video_.SetLocalSource(std::move(source)));
}

void RtcEngineImpl::OpenCameraLocked(const DeviceInfo& camera) {
  // The source before is closed first, as it may be the same device at another size.
  SetLocalSourceLocked(nullptr);
  std::string id = camera.id;
  std::string capture = V4l2Capture(camera.node);
  int width = video_width_;
  int height = video_height_;
  uint64_t ticket = local_source_ticket_;
  opener_.Request(
      [this, id, capture, width, height](std::string& error) {
        return camera_(
            capture, width, height,
            [this, id](const std::string& why) {
              timeline_.After(0, [this, id, why] { OnCameraFailed(id, why); });
            },
            error);
      },
      [this, ticket, id](std::unique_ptr<VideoSource> source, const std::string& error) {
        OnCameraOpened(ticket, id, std::move(source), error);
      });
}

void RtcEngineImpl::OnCameraOpened(uint64_t ticket, const std::string& id,
                                   std::unique_ptr<VideoSource> source, const std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Something else was shown or asked for in the meantime.
  if (ticket != local_source_ticket_) {
    opener_.LetGo(std::move(source));
    return;
  }
  if (!source) {
    CameraFailedLocked(id, error);
    // The engine's lock is held here: the device report runs as timed work of its own.
    timeline_.After(0, [this] { WatchDevices(); });
    return;
  }
  SetLocalSourceLocked(std::move(source));
}

void RtcEngineImpl::OnCameraFailed(const std::string& id, const std::string& why) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // A camera given up already, or replaced since, is not reported.
    if (id != local_camera_id_) return;
    CameraFailedLocked(id, why);
  }
  WatchDevices();
}

void RtcEngineImpl::CameraFailedLocked(const std::string& id, const std::string& why) {
  std::string error = "camera " + id + ": " + why;
  log_.Write("%s", error.c_str());
  sink_.Emit("onError",
             [error](IRtcEngineEventHandler& h) { h.onError(ERR_FAILED, error.c_str()); });
  // Left out until it is plugged again: its unplugging is reported, and the local video goes
  // on with the next camera, if there is one.
  devices_.SetFailed(id);
}

}  // namespace rtc
