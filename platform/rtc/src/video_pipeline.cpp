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

std::shared_ptr<VideoSource> VideoPipeline::SetLocalSource(std::unique_ptr<VideoSource> source) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<VideoSource> old = std::move(local_.source);
  local_ = Stream{};
  local_.source = std::move(source);
  local_.generation = next_generation_++;
  local_.started = clock_.Now();
  return old;
}

void VideoPipeline::SetLocalTap(FrameTap tap) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Whoever removes the tap may go away next: the call that runs now ends first.
  tap_returned_.wait(lock, [this] { return !tap_running_; });
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
  if (stream != remotes_.end()) {
    stream->second.drawn_reported = false;
    ++stream->second.canvas_changes;
  }
}

void VideoPipeline::StartSession(Millis start) {
  std::lock_guard<std::mutex> lock(mutex_);
  session_start_ = start;
}

void VideoPipeline::AddRemote(uid_t uid, std::unique_ptr<VideoSource> source) {
  Stream stream;  // the stream it replaces goes once the lock is released
  stream.source = std::move(source);
  std::lock_guard<std::mutex> lock(mutex_);
  stream.generation = next_generation_++;
  stream.started = session_start_;
  std::swap(remotes_[uid], stream);
}

void VideoPipeline::AddRemote(uid_t uid, int width, int height) {
  AddRemote(uid, std::make_unique<PatternSource>(uid, width, height));
}

void VideoPipeline::ResizeRemote(uid_t uid, int width, int height, int rotation) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = remotes_.find(uid);
  if (it == remotes_.end()) return;
  it->second.resize = std::make_pair(width, height);
  it->second.rotation = rotation;
}

void VideoPipeline::PauseRemote(uid_t uid, bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = remotes_.find(uid);
  if (it != remotes_.end()) it->second.paused = paused;
}

void VideoPipeline::RemoveRemote(uid_t uid) {
  Stream old;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = remotes_.find(uid);
  if (it == remotes_.end()) return;
  old = std::move(it->second);
  remotes_.erase(it);
}

void VideoPipeline::RemoveAllRemotes() {
  std::map<uid_t, Stream> old;
  std::lock_guard<std::mutex> lock(mutex_);
  old.swap(remotes_);
}

int64_t VideoPipeline::frames_drawn() const { return frames_drawn_; }

void VideoPipeline::Run() {
  const auto interval = std::chrono::microseconds(1000000 / kFramesPerSecond);
  auto next = std::chrono::steady_clock::now();
  for (int64_t frame_number = 0;; ++frame_number) {
    Tick(frame_number);
    next += interval;
    std::unique_lock<std::mutex> lock(mutex_);
    if (stop_requested_.wait_until(lock, next, [this] { return stopping_; })) return;
  }
}

void VideoPipeline::Tick(int64_t frame_number) {
  std::vector<Turn> turns;
  FrameTap tap;
  bool mirrored;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    turns = TakeTurns();
    tap = local_tap_;
    tap_running_ = static_cast<bool>(tap);
    mirrored = mirrored_;
  }
  for (Turn& turn : turns) Capture(turn, frame_number);
  Turn& local = turns.front();
  if (tap && local.captured) tap(local.stream.frame);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tap_running_ = false;
  }
  tap_returned_.notify_all();
  tap = nullptr;
  DeliverLocal(local, mirrored);
  for (std::size_t i = 1; i < turns.size(); ++i) DeliverRemote(turns[i]);
  std::lock_guard<std::mutex> lock(mutex_);
  PutBack(turns);
}

std::vector<VideoPipeline::Turn> VideoPipeline::TakeTurns() {
  auto take = [](uid_t uid, Stream& stream, std::optional<Canvas> canvas) {
    Turn turn{uid, Stream{}, canvas, false};
    turn.stream.source = stream.source;
    turn.stream.generation = stream.generation;
    turn.stream.frame = std::move(stream.frame);
    turn.stream.started = stream.started;
    turn.stream.reported_width = stream.reported_width;
    turn.stream.reported_height = stream.reported_height;
    turn.stream.rotation = stream.rotation;
    turn.stream.drawn_reported = stream.drawn_reported;
    turn.stream.canvas_changes = stream.canvas_changes;
    turn.stream.resize = std::exchange(stream.resize, std::nullopt);
    return turn;
  };
  std::vector<Turn> turns;
  turns.push_back(take(0, local_, local_canvas_));
  for (auto& [uid, stream] : remotes_) {
    if (stream.paused) continue;
    auto canvas = remote_canvases_.find(uid);
    turns.push_back(take(
        uid, stream,
        canvas == remote_canvases_.end() ? std::nullopt : std::optional<Canvas>(canvas->second)));
  }
  return turns;
}

void VideoPipeline::Capture(Turn& turn, int64_t frame_number) {
  Stream& stream = turn.stream;
  if (!stream.source) return;
  // Only remote test patterns are resized, and only here, where their frames are made.
  if (stream.resize) {
    static_cast<PatternSource&>(*stream.source).Resize(stream.resize->first, stream.resize->second);
  }
  turn.captured = stream.source->Capture(frame_number, stream.frame);
}

void VideoPipeline::DeliverLocal(Turn& turn, bool mirrored) {
  Stream& stream = turn.stream;
  if (!turn.captured) return;
  // Drawn before it is reported, so that whoever hears of the frame can already see it.
  Draw(turn.canvas, stream.frame, mirrored);
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

void VideoPipeline::DeliverRemote(Turn& turn) {
  Stream& stream = turn.stream;
  if (!turn.captured) return;
  uid_t uid = turn.uid;
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
  if (Draw(turn.canvas, stream.frame, false) && !stream.drawn_reported) {
    stream.drawn_reported = true;
    sink_.Emit("onFirstRemoteVideoFrame", [=](IRtcEngineEventHandler& h) {
      h.onFirstRemoteVideoFrame(uid, width, height, elapsed);
    });
  }
}

void VideoPipeline::PutBack(std::vector<Turn>& turns) {
  for (Turn& turn : turns) {
    Stream* stream = &local_;
    if (turn.uid != 0) {
      auto found = remotes_.find(turn.uid);
      if (found == remotes_.end()) continue;
      stream = &found->second;
    }
    if (stream->generation != turn.stream.generation) continue;
    stream->frame = std::move(turn.stream.frame);
    stream->reported_width = turn.stream.reported_width;
    stream->reported_height = turn.stream.reported_height;
    if (stream->canvas_changes == turn.stream.canvas_changes) {
      stream->drawn_reported = turn.stream.drawn_reported;
    }
  }
}

bool VideoPipeline::Draw(const std::optional<Canvas>& canvas, const VideoFrame& frame,
                         bool mirrored) {
  if (!canvas || canvas->view == nullptr) return false;
  if (!presenter_.Present(canvas->view, frame, canvas->render_mode, mirrored)) return false;
  ++frames_drawn_;
  return true;
}

}  // namespace rtc
