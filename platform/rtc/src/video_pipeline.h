// The engine's video thread: at 15 frames per second it takes a frame from the local source
// (camera, test pattern or screen) and from every remote participant's stream, reports first
// frames and size changes with the sizes of the frames themselves, and draws each stream into
// its canvas window.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

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
  // call back into the pipeline. Null removes it.
  using FrameTap = std::function<void(const VideoFrame&)>;
  void SetLocalTap(FrameTap tap);

  // Null stops the local video. A new source reports its first frame again.
  void SetLocalSource(std::unique_ptr<VideoSource> source);
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
    std::unique_ptr<VideoSource> source;
    VideoFrame frame;
    Millis started = 0;
    int reported_width = 0;  // 0 until the first frame was reported
    int reported_height = 0;
    int rotation = 0;
    bool drawn_reported = false;
    bool paused = false;
  };
  void Run();
  void Tick(int64_t frame_number);
  void TickLocal(int64_t frame_number);
  void TickRemote(uid_t uid, Stream& stream, int64_t frame_number);
  bool Draw(const Canvas& canvas, const VideoFrame& frame, bool mirrored);

  EngineClock& clock_;
  EventSink& sink_;
  FramePresenter& presenter_;

  mutable std::mutex mutex_;
  std::condition_variable stop_requested_;
  bool stopping_ = false;
  Stream local_;
  FrameTap local_tap_;
  Canvas local_canvas_;
  bool mirrored_ = true;
  Millis session_start_ = 0;
  std::map<uid_t, Stream> remotes_;
  std::map<uid_t, Canvas> remote_canvases_;
  int64_t frames_drawn_ = 0;
  std::thread thread_;
};

}  // namespace rtc
