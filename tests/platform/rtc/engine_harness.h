// An engine built for tests: a manual clock, a configuration given as JSON text, the machine's
// devices under the test's control (or the real ones), and a handler and a presenter that record
// what arrives.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "rtc_engine_impl.h"

namespace rtc_test {

// How long any wait of these tests may take before it fails instead of hanging.
constexpr auto kWatchdog = std::chrono::seconds(10);

// Polls condition until it holds; false after the watchdog's time.
inline bool WaitUntil(const std::function<bool()>& condition) {
  auto deadline = std::chrono::steady_clock::now() + kWatchdog;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

inline rtc::Rect ScreenRect(int left, int top, int right, int bottom) {
  rtc::Rect rect;
  rect.left = left;
  rect.top = top;
  rect.right = right;
  rect.bottom = bottom;
  return rect;
}

// Every callback as one line of text, in arrival order, with the thread it came on.
class RecordingHandler : public rtc::IRtcEngineEventHandler {
 public:
  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // Waits until some line starts with prefix; false after the watchdog's time.
  bool WaitFor(const std::string& prefix, int count = 1) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kWatchdog, [&] { return CountLocked(prefix) >= count; });
  }
  int Count(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return CountLocked(prefix);
  }
  // Lines starting with prefix, in order.
  std::vector<std::string> Matching(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> found;
    for (const auto& line : lines_) {
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
  }
  std::vector<std::thread::id> Threads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return threads_;
  }

  void onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override {
    Add("join " + std::string(channel) + " " + std::to_string(uid) + " " + std::to_string(elapsed));
  }
  void onRejoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override {
    Add("rejoin " + std::string(channel) + " " + std::to_string(uid) + " " +
        std::to_string(elapsed));
  }
  void onError(int err, const char* msg) override {
    Add("error " + std::to_string(err) + " " + (msg ? msg : "(null)"));
  }
  void onAudioVolumeIndication(const rtc::AudioVolumeInfo* speakers, unsigned int count,
                               int total) override {
    std::string line = "volume";
    for (unsigned i = 0; i < count; ++i) {
      line += " " + std::to_string(speakers[i].uid) + ":" + std::to_string(speakers[i].volume);
    }
    Add(line + " total " + std::to_string(total));
  }
  void onLeaveChannel(const rtc::RtcStats& stats) override {
    Add("leave " + std::to_string(stats.duration) + "s users " + std::to_string(stats.users));
  }
  void onAudioDeviceStateChanged(const char* id, int type, int state) override {
    Add("audio-device " + std::string(id) + " " + std::to_string(type) + " " +
        std::to_string(state));
  }
  void onVideoDeviceStateChanged(const char* id, int type, int state) override {
    Add("video-device " + std::string(id) + " " + std::to_string(type) + " " +
        std::to_string(state));
  }
  void onNetworkQuality(rtc::uid_t uid, int tx, int rx) override {
    Add("quality " + std::to_string(uid) + " " + std::to_string(tx) + " " + std::to_string(rx));
  }
  void onLastmileQuality(int quality) override { Add("lastmile " + std::to_string(quality)); }
  void onFirstLocalVideoFrame(int width, int height, int) override {
    Add("local-frame " + std::to_string(width) + "x" + std::to_string(height));
  }
  void onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height, int) override {
    Add("remote-decoded " + std::to_string(uid) + " " + std::to_string(width) + "x" +
        std::to_string(height));
  }
  void onVideoSizeChanged(rtc::uid_t uid, int width, int height, int rotation) override {
    Add("size-changed " + std::to_string(uid) + " " + std::to_string(width) + "x" +
        std::to_string(height) + " " + std::to_string(rotation));
  }
  void onFirstRemoteVideoFrame(rtc::uid_t uid, int width, int height, int) override {
    Add("remote-drawn " + std::to_string(uid) + " " + std::to_string(width) + "x" +
        std::to_string(height));
  }
  void onUserJoined(rtc::uid_t uid, int elapsed) override {
    Add("user-joined " + std::to_string(uid) + " " + std::to_string(elapsed));
  }
  void onUserOffline(rtc::uid_t uid, rtc::USER_OFFLINE_REASON_TYPE reason) override {
    Add("user-offline " + std::to_string(uid) + " " + std::to_string(reason));
  }
  void onUserMuteAudio(rtc::uid_t uid, bool muted) override {
    Add("mute-audio " + std::to_string(uid) + " " + (muted ? "on" : "off"));
  }
  void onUserMuteVideo(rtc::uid_t uid, bool muted) override {
    Add("mute-video " + std::to_string(uid) + " " + (muted ? "on" : "off"));
  }
  void onVideoStopped() override { Add("video-stopped"); }
  void onConnectionLost() override { Add("connection-lost"); }
  void onApiCallExecuted(const char* api, int error) override {
    Add("api " + std::string(api) + " " + std::to_string(error));
  }

 private:
  void Add(std::string line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
    threads_.push_back(std::this_thread::get_id());
    changed_.notify_all();
  }
  int CountLocked(const std::string& prefix) const {
    int count = 0;
    for (const auto& line : lines_) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
  }

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::string> lines_;
  std::vector<std::thread::id> threads_;
};

// Keeps the last frame drawn into each view.
class RecordingPresenter : public rtc::FramePresenter {
 public:
  bool Present(rtc::view_t view, const rtc::VideoFrame& frame, int, bool mirrored) override {
    std::lock_guard<std::mutex> lock(mutex_);
    last_[view] = frame;
    mirrored_[view] = mirrored;
    return true;
  }
  bool HasFrame(rtc::view_t view) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_.count(view) != 0;
  }
  rtc::VideoFrame Last(rtc::view_t view) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_.at(view);
  }
  bool Mirrored(rtc::view_t view) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return mirrored_.at(view);
  }

 private:
  mutable std::mutex mutex_;
  std::map<rtc::view_t, rtc::VideoFrame> last_;
  std::map<rtc::view_t, bool> mirrored_;
};

// A screen of one colour per pixel column, for screen-capture tests.
class StripesScreen : public rtc::VideoSource {
 public:
  StripesScreen(int width, int height) : width_(width), height_(height) {}
  bool Capture(int64_t, rtc::VideoFrame& frame) override {
    if (frame.width != width_ || frame.height != height_) frame.Resize(width_, height_);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x)
        frame.pixels[y * width_ + x] = 0xFF000000u | static_cast<uint32_t>(x);
    }
    return true;
  }
  bool IsCamera() const override { return false; }

 private:
  int width_;
  int height_;
};

// The machine's devices as a test sets them; each change is announced as a real watch does.
class SetMachineWatch : public rtc::DeviceWatch {
 public:
  SetMachineWatch(rtc::MachineDevices machine, Changed changed)
      : machine_(std::move(machine)), changed_(std::move(changed)) {}
  rtc::MachineDevices Current() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return machine_;
  }
  void Set(rtc::MachineDevices machine) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      machine_ = std::move(machine);
    }
    changed_();
  }

 private:
  mutable std::mutex mutex_;
  rtc::MachineDevices machine_;
  Changed changed_;
};

class EngineHarness {
 public:
  explicit EngineHarness(const std::string& config_json = "{}",
                         rtc::MachineDevices machine = rtc::MachineDevices{},
                         rtc::FramePresenter* window_presenter = nullptr,
                         rtc::ScreenSourceFactory screen = nullptr,
                         rtc::DeviceWatchFactory real_watch = nullptr,
                         rtc::CameraFactory camera = nullptr) {
    rtc::EngineOptions options;
    options.clock = &clock;
    options.config = rtc::ParseEngineConfig(config_json);
    // These engines meet the scenario's participants unless the text names a channel.
    if (config_json.find("\"channel\"") == std::string::npos)
      options.config.config.simulated_channel = true;
    options.machine_devices = [this, machine](rtc::DeviceWatch::Changed changed) {
      auto watch = std::make_unique<SetMachineWatch>(machine, std::move(changed));
      machine_ = watch.get();
      return watch;
    };
    if (real_watch) options.machine_devices = std::move(real_watch);
    options.probe_target = rtc::ProbeTarget{"127.0.0.1", "9"};
    options.presenter = window_presenter != nullptr ? window_presenter : &presenter;
    if (!screen) {
      // Frames of the region's size, so that what is shown tells screen and camera apart.
      screen = [this](const rtc::ScreenRegion& region, int, int width, int height,
                      std::string&) -> std::unique_ptr<rtc::VideoSource> {
        screen_region = &region;
        std::optional<rtc::Rect> shown = region.Get();
        screen_regions.push_back(shown.value_or(rtc::Rect{}));
        screen_sizes.emplace_back(width, height);
        int w = shown ? shown->right - shown->left : 1920;
        int h = shown ? shown->bottom - shown->top : 1080;
        return std::make_unique<StripesScreen>(w, h);
      };
    }
    options.screen = std::move(screen);
    if (camera) options.camera = std::move(camera);
    engine = rtc::NewRtcEngine(std::move(options));
  }
  ~EngineHarness() { engine->release(); }
  EngineHarness(const EngineHarness&) = delete;
  EngineHarness& operator=(const EngineHarness&) = delete;

  int Initialize() {
    rtc::RtcEngineContext context;
    context.eventHandler = &handler;
    context.appId = "test-app";
    return engine->initialize(context);
  }
  // Only where the configuration keeps the machine's devices.
  void SetMachine(rtc::MachineDevices machine) { machine_->Set(std::move(machine)); }
  // Moves the engine's time on in steps, so that timed work runs in order at each step.
  void Advance(rtc::Millis total, rtc::Millis step = 100) {
    for (rtc::Millis done = 0; done < total; done += step)
      clock.Advance(std::min(step, total - done));
  }
  template <typename Interface>
  Interface* Query(rtc::INTERFACE_ID_TYPE iid) {
    void* found = nullptr;
    EXPECT_EQ(engine->queryInterface(iid, &found), 0);
    return static_cast<Interface*>(found);
  }

  rtc::ManualEngineClock clock;
  RecordingHandler handler;
  RecordingPresenter presenter;
  std::vector<rtc::Rect> screen_regions;  // as each screen source was opened
  std::vector<std::pair<int, int>> screen_sizes;
  const rtc::ScreenRegion* screen_region = nullptr;  // the one the engine moves
  rtc::IRtcEngine* engine = nullptr;

 private:
  SetMachineWatch* machine_ = nullptr;  // owned by the engine
};

}  // namespace rtc_test
