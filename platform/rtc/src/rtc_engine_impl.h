// The built-in engine behind IRtcEngine.
//
// Threads: the callback dispatcher delivers every IRtcEngineEventHandler call in order; the
// timeline runs the channel's scenario, statistics, volume reports, probe series and the
// device-state reports; the device watch's thread hands each change of the machine's devices
// to the timeline; the video pipeline captures and draws frames; the source opener opens
// cameras; the probe's echo has threads of its own.
// Calls come from the program's user-interface thread and take the engine's lock; timed work
// takes it too where it reads the engine's own state. Lock order: engine, then channel, then
// the pipeline; the parts below never call up into the engine.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "callback_dispatcher.h"
#include "capture_source.h"
#include "device_managers.h"
#include "device_registry.h"
#include "device_watch.h"
#include "engine_clock.h"
#include "engine_config.h"
#include "engine_log.h"
#include "event_sink.h"
#include "frame_presenter.h"
#include "lastmile_probe.h"
#include "parameter_store.h"
#include "screen_region.h"
#include "source_opener.h"
#include "rtc/rtc_engine.h"
#include "channel.h"
#include "timeline.h"
#include "video_pipeline.h"

namespace rtc {

// The screen as a video source: the region it is told (which outlives it) at rate frames per
// second, scaled to width x height. A note in note when it is not the screen's best picture
// (and why).
using ScreenSourceFactory = std::function<std::unique_ptr<VideoSource>(
    const ScreenRegion& region, int rate, int width, int height, std::string& note)>;
// A camera through the media library (OpenCamera's arguments); it may take a while.
using CameraFactory = std::function<std::unique_ptr<VideoSource>(
    const std::string& capture, int width, int height, CameraFailed failed, std::string& error)>;

// What a test may replace; the defaults are the real ones.
struct EngineOptions {
  EngineClock* clock = nullptr;  // the engine's own steady clock when null
  ConfigResult config;           // LoadEngineConfig() by default
  // The machine's own devices; none when empty or when the configuration leaves them out.
  DeviceWatchFactory machine_devices = WatchMachineDevices;
  ProbeTarget probe_target;
  FramePresenter* presenter = nullptr;  // required
  ScreenSourceFactory screen;           // required
  CameraFactory camera = OpenCamera;
};

// Creates an engine with these parts; release() frees it.
IRtcEngine* NewRtcEngine(EngineOptions options);

class RtcEngineImpl final : public IRtcEngine, private DeviceSelectionListener {
 public:
  explicit RtcEngineImpl(EngineOptions options);

  int initialize(const RtcEngineContext& context) override;
  void release() override;
  int queryInterface(INTERFACE_ID_TYPE iid, void** inter) override;
  int joinChannel(const char* channelKey, const char* channelName, const char* info,
                  uid_t uid) override;
  int leaveChannel() override;
  int startPreview() override;
  int stopPreview() override;
  int enableVideo() override;
  int disableVideo() override;
  int enableAudio() override;
  int disableAudio() override;
  int setVideoProfile(int profile, bool swapWidthAndHeight) override;
  int setupLocalVideo(const VideoCanvas& canvas) override;
  int setupRemoteVideo(const VideoCanvas& canvas) override;
  int setAudioProfile(int profile, int scenario) override;
  int enableAudioVolumeIndication(int interval, int smooth) override;
  int startScreenCapture(view_t windowId, int captureFreq, const Rect* rect, int bitrate) override;
  int stopScreenCapture() override;
  int enableLastmileTest() override;
  int disableLastmileTest() override;

 private:
  ~RtcEngineImpl() override;
  // Runs operation under the engine's lock once initialised; ERR_NOT_INITIALIZED before.
  template <typename Operation>
  int WhenInitialized(Operation operation) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!initialized_) return ERR_NOT_INITIALIZED;
    return operation();
  }
  void OnDeviceSelected(DeviceKind kind) override;
  int ApplyParameter(const std::string& key, const Json::Value& value);
  // Reports what came and went since the last look (timed work).
  void WatchDevices();
  void OnScenarioDeviceEvent(const DeviceEvent& event);
  // A camera that stopped giving pictures (timed work).
  void OnCameraFailed(const std::string& id, const std::string& why);
  // The end of an open the opener ran for the camera id; ticket tells whether it still counts.
  void OnCameraOpened(uint64_t ticket, const std::string& id, std::unique_ptr<VideoSource> source,
                      const std::string& error);
  // A new local source, and any camera still opening no longer counts (engine lock held).
  void SetLocalSourceLocked(std::unique_ptr<VideoSource> source);
  void OpenCameraLocked(const DeviceInfo& camera);
  void CameraFailedLocked(const std::string& id, const std::string& why);
  void FillLocalStats(RtcStats& stats);
  void ReportVolumes();
  // Starts, switches or stops the local video to match the state (engine lock held).
  void UpdateLocalVideoLocked();
  void ApplyLocalVideoLocked();
  bool SendsAudioLocked() const;
  // Tells the channel what to send and play now (engine lock held).
  void SyncMediaLocked();
  std::string MediaServerLocked() const;

  std::unique_ptr<EngineClock> own_clock_;
  EngineClock& clock_;
  const EngineConfig config_;
  const std::string config_error_;
  ScreenSourceFactory screen_;
  CameraFactory camera_;
  EngineLog log_;
  CallbackDispatcher dispatcher_;
  EventSink sink_;
  Timeline timeline_;
  // Set at initialize: from then on the machine's changes are reported.
  std::atomic<bool> watching_{false};
  // Before the registry, which reads it, and gone before the timeline, which it posts to.
  std::unique_ptr<DeviceWatch> machine_devices_;
  DeviceRegistry devices_;
  ParameterStore parameters_;
  // Read by the screen source on the video thread: it outlives the pipeline.
  ScreenRegion screen_region_;
  VideoPipeline video_;
  std::unique_ptr<Channel> channel_;
  LastmileProbe probe_;

  std::mutex mutex_;
  bool initialized_ = false;
  bool video_enabled_ = false;
  bool audio_enabled_ = true;
  bool audio_muted_ = false;
  bool preview_ = false;
  bool in_channel_ = false;
  bool mirrored_ = true;
  int video_width_ = 640;
  int video_height_ = 480;
  int audio_profile_ = 0;
  int audio_scenario_ = 0;
  int playout_volume_ = 100;  // percent
  int record_volume_ = 100;
  uid_t local_uid_ = 0;
  std::string media_server_;          // as the program set it; empty for the default
  std::string default_media_server_;  // on the lesson service's host
  bool screen_capturing_ = false;
  int screen_rate_ = VideoPipeline::kFramesPerSecond;
  std::string local_camera_id_;       // the camera the local video shows; empty when none
  uint64_t local_source_ticket_ = 0;  // one more with each local source, opened or asked for
  Timeline::TaskId volume_task_ = 0;
  // Read by the channel's statistics without the engine's lock.
  std::atomic<bool> sending_video_{false};
  std::atomic<bool> sending_audio_{false};
  // Last, so that it stops first: what it hands over reaches every other part. It also closes
  // the local sources the pipeline gives back.
  SourceOpener opener_;
};

}  // namespace rtc
