#include "video_pipeline.h"

#include "video_source.h"

namespace rtc {

VideoPipeline::VideoPipeline(EngineClock& clock, EventSink& sink, FramePresenter& presenter)
    : clock_(clock), sink_(sink), presenter_(presenter), thread_([this] { Run(); }) {}

VideoPipeline::~VideoPipeline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    stop_requested_.notify_one();
  }
  thread_.join();
}

void VideoPipeline::SetLocalSource(std::unique_ptr<VideoSource> source) {
  std::lock_guard<std::mutex> lock(mutex_);
  local_ = Stream{};
  local_.source = std::move(source);
  local_.started = clock_.Now();
}

void VideoPipeline::SetLocalTap(FrameTap tap) {
  std::lock_guard<std::mutex> lock(mutex_);
  local_tap_ = std::move(tap);
}

void VideoPipeline::SetMirror(bool mirrored) {
  std::lock_guard<std::mutex> lock(mutex_);
  mirrored_ = mirrored;
}

void VideoPipeline::SetLocalCanvas(view_t view, int render_mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  local_canvas_ = Canvas{view, render_mode};
}

void VideoPipeline::SetRemoteCanvas(uid_t uid, view_t view, int render_mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (view == nullptr) {
    remote_canvases_.erase(uid);
    return;
  }
  remote_canvases_[uid] = Canvas{view, render_mode};
  auto stream = remotes_.find(uid);
  if (stream != remotes_.end()) stream->second.drawn_reported = false;
}

void VideoPipeline::StartSession(Millis start) {
  std::lock_guard<std::mutex> lock(mutex_);
  session_start_ = start;
}

void VideoPipeline::AddRemote(uid_t uid, std::unique_ptr<VideoSource> source) {
  std::lock_guard<std::mutex> lock(mutex_);
  Stream stream;
  stream.source = std::move(source);
  stream.started = session_start_;
  remotes_[uid] = std::move(stream);
}

void VideoPipeline::AddRemote(uid_t uid, int width, int height) {
  AddRemote(uid, std::make_unique<PatternSource>(uid, width, height));
}

void VideoPipeline::ResizeRemote(uid_t uid, int width, int height, int rotation) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = remotes_.find(uid);
  if (it == remotes_.end()) return;
  static_cast<PatternSource&>(*it->second.source).Resize(width, height);
  it->second.rotation = rotation;
}

void VideoPipeline::PauseRemote(uid_t uid, bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = remotes_.find(uid);
  if (it != remotes_.end()) it->second.paused = paused;
}

void VideoPipeline::RemoveRemote(uid_t uid) {
  std::lock_guard<std::mutex> lock(mutex_);
  remotes_.erase(uid);
}

void VideoPipeline::RemoveAllRemotes() {
  std::lock_guard<std::mutex> lock(mutex_);
  remotes_.clear();
}

int64_t VideoPipeline::frames_drawn() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_drawn_;
}

void VideoPipeline::Run() {
  const auto interval = std::chrono::microseconds(1000000 / kFramesPerSecond);
  auto next = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  for (int64_t frame_number = 0; !stopping_; ++frame_number) {
    Tick(frame_number);
    next += interval;
    stop_requested_.wait_until(lock, next, [this] { return stopping_; });
  }
}

void VideoPipeline::Tick(int64_t frame_number) {
  TickLocal(frame_number);
  for (auto& entry : remotes_) TickRemote(entry.first, entry.second, frame_number);
}

void VideoPipeline::TickLocal(int64_t frame_number) {
  Stream& stream = local_;
  if (!stream.source || !stream.source->Capture(frame_number, stream.frame)) return;
  if (local_tap_) local_tap_(stream.frame);
  // Drawn before it is reported, so that whoever hears of the frame can already see it.
  Draw(local_canvas_, stream.frame, mirrored_);
  int width = stream.frame.width;
  int height = stream.frame.height;
  if (stream.reported_width == 0) {
    int elapsed = static_cast<int>(clock_.Now() - stream.started);
    if (stream.source->IsCamera()) sink_.Emit("onCameraReady", [](auto& h) { h.onCameraReady(); });
    sink_.Emit("onFirstLocalVideoFrame", [=](IRtcEngineEventHandler& h) {
      h.onFirstLocalVideoFrame(width, height, elapsed);
    });
  } else if (width != stream.reported_width || height != stream.reported_height) {
    sink_.Emit("onVideoSizeChanged",
               [=](IRtcEngineEventHandler& h) { h.onVideoSizeChanged(0, width, height, 0); });
  }
  stream.reported_width = width;
  stream.reported_height = height;
}

void VideoPipeline::TickRemote(uid_t uid, Stream& stream, int64_t frame_number) {
  if (stream.paused || !stream.source->Capture(frame_number, stream.frame)) return;
  int width = stream.frame.width;
  int height = stream.frame.height;
  int elapsed = static_cast<int>(clock_.Now() - stream.started);
  if (stream.reported_width == 0) {
    sink_.Emit("onFirstRemoteVideoDecoded", [=](IRtcEngineEventHandler& h) {
      h.onFirstRemoteVideoDecoded(uid, width, height, elapsed);
    });
  } else if (width != stream.reported_width || height != stream.reported_height) {
    int rotation = stream.rotation;
    sink_.Emit("onVideoSizeChanged", [=](IRtcEngineEventHandler& h) {
      h.onVideoSizeChanged(uid, width, height, rotation);
    });
  }
  stream.reported_width = width;
  stream.reported_height = height;
  auto canvas = remote_canvases_.find(uid);
  if (canvas == remote_canvases_.end()) return;
  if (Draw(canvas->second, stream.frame, false) && !stream.drawn_reported) {
    stream.drawn_reported = true;
    sink_.Emit("onFirstRemoteVideoFrame", [=](IRtcEngineEventHandler& h) {
      h.onFirstRemoteVideoFrame(uid, width, height, elapsed);
    });
  }
}

bool VideoPipeline::Draw(const Canvas& canvas, const VideoFrame& frame, bool mirrored) {
  if (canvas.view == nullptr) return false;
  if (!presenter_.Present(canvas.view, frame, canvas.render_mode, mirrored)) return false;
  ++frames_drawn_;
  return true;
}

}  // namespace rtc
