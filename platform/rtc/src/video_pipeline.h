// The engine's video thread: at 15 frames per second it takes a frame from the local source
// (camera, test pattern or screen) and from every remote participant's stream, reports first
// frames and size changes with the sizes of the frames themselves, and draws each stream into
// its canvas window.
//
// The pipeline's lock guards only what the calls change; the video thread takes a copy of it
// each tick and captures, hands over and draws with the lock released, so that no call waits
// for a camera or a window. Sources are used by the video thread alone and go with its copy.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "engine_clock.h"
#include "event_sink.h"
#include "frame_presenter.h"
#include "video_source.h"

namespace rtc {

class VideoPipeline {
 public:
  static constexpr int kFramesPerSecond = 15;

  VideoPipeline(EngineClock& clock, EventSink& sink, FramePresenter& presenter);
  ~VideoPipeline();
  VideoPipeline(const VideoPipeline&) = delete;
  VideoPipeline& operator=(const VideoPipeline&) = delete;

  // Sees every local frame as captured (before mirroring), on the video thread; it must not
  // call back into the pipeline. Null removes it; once this returns the old tap is not called
  // any more.
  using FrameTap = std::function<void(const VideoFrame&)>;
  void SetLocalTap(FrameTap tap);

  // Null stops the local video. A new source reports its first frame again. Gives back the
  // source it replaces, for the caller to close where that may take a while.
  std::shared_ptr<VideoSource> SetLocalSource(std::unique_ptr<VideoSource> source);
  void SetMirror(bool mirrored);
  // A null view stops drawing that stream.
  void SetLocalCanvas(view_t view, int render_mode);
  void SetRemoteCanvas(uid_t uid, view_t view, int render_mode);

  // Remote streams; elapsed times of their events count from the session's start.
  void StartSession(Millis start);
  void AddRemote(uid_t uid, std::unique_ptr<VideoSource> source);
  // A test pattern of that size, which ResizeRemote may change.
  void AddRemote(uid_t uid, int width, int height);
  void ResizeRemote(uid_t uid, int width, int height, int rotation);
  // A paused stream gives no frames until resumed.
  void PauseRemote(uid_t uid, bool paused);
  void RemoveRemote(uid_t uid);
  void RemoveAllRemotes();

  // Frames drawn so far, for the statistics.
  int64_t frames_drawn() const;

 private:
  struct Canvas {
    view_t view = nullptr;
    int render_mode = RENDER_MODE_FIT;
  };
  struct Stream {
    std::shared_ptr<VideoSource> source;
    uint64_t generation = 0;  // a new source, a new generation: what was captured before is old
    VideoFrame frame;
    Millis started = 0;
    int reported_width = 0;  // 0 until the first frame was reported
    int reported_height = 0;
    int rotation = 0;
    bool drawn_reported = false;
    int canvas_changes = 0;  // a new canvas while a frame is drawn: the report is still due
    bool paused = false;
    std::optional<std::pair<int, int>> resize;  // applied to the test pattern by the video thread
  };
  // One stream's tick as the video thread does it with the lock released.
  struct Turn {
    uid_t uid = 0;  // 0 for the local stream
    Stream stream;
    std::optional<Canvas> canvas;
    bool captured = false;
  };
  void Run();
  void Tick(int64_t frame_number);
  // Copies of the streams to capture from, their frames moved out (lock held).
  std::vector<Turn> TakeTurns();
  static void Capture(Turn& turn, int64_t frame_number);
  void DeliverLocal(Turn& turn, bool mirrored);
  void DeliverRemote(Turn& turn);
  // The turns' frames and reports back into the streams they came from, unless replaced.
  void PutBack(std::vector<Turn>& turns);
  bool Draw(const std::optional<Canvas>& canvas, const VideoFrame& frame, bool mirrored);

  EngineClock& clock_;
  EventSink& sink_;
  FramePresenter& presenter_;

  mutable std::mutex mutex_;
  std::condition_variable stop_requested_;
  std::condition_variable tap_returned_;
  bool stopping_ = false;
  uint64_t next_generation_ = 1;
  Stream local_;
  FrameTap local_tap_;
  bool tap_running_ = false;
  Canvas local_canvas_;
  bool mirrored_ = true;
  Millis session_start_ = 0;
  std::map<uid_t, Stream> remotes_;
  std::map<uid_t, Canvas> remote_canvases_;
  std::atomic<int64_t> frames_drawn_{0};
  std::thread thread_;
};

}  // namespace rtc
