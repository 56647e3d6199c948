#include "simulated_channel.h"

#include <algorithm>
#include <random>

namespace rtc {
namespace {

constexpr unsigned short kAudioDelayMs = 20;
constexpr int kRemoteVideoKbps = 500;

uid_t ChooseUid() {
  std::random_device random;
  std::uniform_int_distribution<uid_t> range(1, 0x7FFFFFFF);
  return range(random);
}

}  // namespace

SimulatedChannel::SimulatedChannel(const Scenario& scenario, EngineClock& clock, Timeline& timeline,
                                   EventSink& sink, VideoPipeline& video, Hooks hooks)
    : scenario_(scenario),
      clock_(clock),
      timeline_(timeline),
      sink_(sink),
      video_(video),
      hooks_(std::move(hooks)) {}

uid_t SimulatedChannel::local_uid() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return uid_;
}

std::vector<AudioVolumeInfo> SimulatedChannel::Levels() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!joined_) return {};
  auto level = [](int source, int percent) {
    return static_cast<unsigned>(std::min(255, source * percent / 100));
  };
  std::vector<AudioVolumeInfo> levels{
      {0, media_.send_audio ? level(kToneLevel, media_.record_volume) : 0u}};
  for (const auto& entry : remotes_) {
    levels.push_back({entry.first, level(kRemoteSpeechLevel, media_.playout_volume)});
  }
  return levels;
}

void SimulatedChannel::SetLocalMedia(const LocalMedia& media) {
  std::lock_guard<std::mutex> lock(mutex_);
  media_ = media;
}

int SimulatedChannel::Join(const JoinRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (joined_) return ERR_REFUSED;
  joined_ = true;
  ++session_;
  channel_ = request.channel;
  uid_ = request.uid != 0 ? request.uid : ChooseUid();
  join_time_ = clock_.Now();
  video_.StartSession(join_time_);
  sink_.log().Write("join channel \"%s\" as %u", channel_.c_str(), uid_);
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_CONNECTING);
  });
  Schedule(0, [this] {
    std::string name = channel_;
    uid_t uid = uid_;
    sink_.Emit("onJoinChannelSuccess",
               [=](IRtcEngineEventHandler& h) { h.onJoinChannelSuccess(name.c_str(), uid, 0); });
    sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
      h.onConnectionStateChanged(CONNECTION_STATE_CONNECTED);
    });
    sink_.Emit("onMediaEngineStartCallSuccess",
               [](IRtcEngineEventHandler& h) { h.onMediaEngineStartCallSuccess(); });
  });
  ScheduleScenario();
  uint64_t session = session_;
  tasks_.push_back(timeline_.Every(kStatsPeriodMs, [this, session] {
    std::lock_guard<std::mutex> guard(mutex_);
    if (session == session_) ReportStats();
  }));
  return ERR_OK;
}

int SimulatedChannel::Leave() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!joined_) return ERR_REFUSED;
  for (Timeline::TaskId task : tasks_) timeline_.Cancel(task);
  tasks_.clear();
  RtcStats stats = CurrentStats();
  joined_ = false;
  ++session_;
  remotes_.clear();
  last_rx_quality_.clear();
  video_.RemoveAllRemotes();
  sink_.log().Write("leave channel \"%s\"", channel_.c_str());
  sink_.Emit("onLeaveChannel", [stats](IRtcEngineEventHandler& h) { h.onLeaveChannel(stats); });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_DISCONNECTED);
  });
  return ERR_OK;
}

void SimulatedChannel::Schedule(Millis at, std::function<void()> task) {
  uint64_t session = session_;
  tasks_.push_back(timeline_.At(join_time_ + at, [this, session, task = std::move(task)] {
    std::lock_guard<std::mutex> lock(mutex_);
    if (session == session_) task();
  }));
}

void SimulatedChannel::ScheduleScenario() {
  for (const ScenarioUser& user : scenario_.users) {
    Schedule(user.join_ms, [this, &user] { UserJoined(user); });
    for (const VideoSizeChange& change : user.size_changes) {
      Schedule(change.at_ms, [this, &user, &change] {
        if (remotes_.count(user.uid) == 0) return;
        remotes_[user.uid] = Remote{change.width, change.height};
        video_.ResizeRemote(user.uid, change.width, change.height, change.rotation);
      });
    }
    for (const MuteChange& mute : user.mutes) {
      Schedule(mute.at_ms, [this, &user, &mute] { UserMuted(user.uid, mute); });
    }
    if (user.leave_ms) Schedule(*user.leave_ms, [this, &user] { UserLeft(user); });
  }
  for (const QualitySample& sample : scenario_.network_quality) {
    Schedule(sample.at_ms, [this, &sample] {
      if (sample.uid != 0 && remotes_.count(sample.uid) == 0) return;
      last_rx_quality_[sample.uid] = sample.rx;
      QualitySample s = sample;
      sink_.Emit("onNetworkQuality",
                 [s](IRtcEngineEventHandler& h) { h.onNetworkQuality(s.uid, s.tx, s.rx); });
    });
  }
  for (const DeviceEvent& event : scenario_.device_events) {
    Schedule(event.at_ms, [this, &event] { hooks_.device_event(event); });
  }
  for (const NetworkLoss& loss : scenario_.network_losses) {
    Schedule(loss.at_ms, [this, &loss] { NetworkLost(loss); });
  }
}

void SimulatedChannel::UserJoined(const ScenarioUser& user) {
  if (user.uid == uid_ || remotes_.count(user.uid) != 0) return;
  remotes_[user.uid] = Remote{user.width, user.height};
  video_.AddRemote(user.uid, user.width, user.height);
  uid_t uid = user.uid;
  // Counted to when it was due, however late the timeline got to it.
  int elapsed = static_cast<int>(user.join_ms);
  sink_.Emit("onUserJoined", [=](IRtcEngineEventHandler& h) { h.onUserJoined(uid, elapsed); });
}

void SimulatedChannel::UserMuted(uid_t uid, const MuteChange& mute) {
  if (remotes_.count(uid) == 0) return;
  bool muted = mute.muted;
  if (mute.video) {
    video_.PauseRemote(uid, muted);
    sink_.Emit("onUserMuteVideo",
               [=](IRtcEngineEventHandler& h) { h.onUserMuteVideo(uid, muted); });
  } else {
    sink_.Emit("onUserMuteAudio",
               [=](IRtcEngineEventHandler& h) { h.onUserMuteAudio(uid, muted); });
  }
}

void SimulatedChannel::UserLeft(const ScenarioUser& user) {
  if (remotes_.erase(user.uid) == 0) return;
  last_rx_quality_.erase(user.uid);
  video_.RemoveRemote(user.uid);
  uid_t uid = user.uid;
  USER_OFFLINE_REASON_TYPE reason = user.leave_reason;
  sink_.Emit("onUserOffline", [=](IRtcEngineEventHandler& h) { h.onUserOffline(uid, reason); });
}

void SimulatedChannel::NetworkLost(const NetworkLoss& loss) {
  sink_.Emit("onConnectionInterrupted",
             [](IRtcEngineEventHandler& h) { h.onConnectionInterrupted(); });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_RECONNECTING);
  });
  sink_.Emit("onConnectionLost", [](IRtcEngineEventHandler& h) { h.onConnectionLost(); });
  if (loss.rejoin_after_ms) {
    Millis after = *loss.rejoin_after_ms;
    Schedule(loss.at_ms + after, [this, after] { Rejoined(after); });
  }
}

void SimulatedChannel::Rejoined(Millis after) {
  std::string name = channel_;
  uid_t uid = uid_;
  int elapsed = static_cast<int>(after);
  sink_.Emit("onRejoinChannelSuccess", [=](IRtcEngineEventHandler& h) {
    h.onRejoinChannelSuccess(name.c_str(), uid, elapsed);
  });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_CONNECTED);
  });
}

RtcStats SimulatedChannel::CurrentStats() const {
  RtcStats stats;
  stats.duration = static_cast<uint32_t>((clock_.Now() - join_time_) / 1000);
  stats.users = static_cast<uint32_t>(remotes_.size() + 1);
  stats.rxVideoKBitRate = static_cast<uint32_t>(remotes_.size() * kRemoteVideoKbps);
  stats.rxKBitRate = stats.rxVideoKBitRate;
  stats.rxBytes = stats.rxKBitRate * 125 * stats.duration;
  hooks_.fill_local_stats(stats);
  return stats;
}

void SimulatedChannel::ReportStats() {
  RtcStats stats = CurrentStats();
  sink_.Emit("onRtcStats", [stats](IRtcEngineEventHandler& h) { h.onRtcStats(stats); });
  for (const auto& entry : remotes_) {
    uid_t uid = entry.first;
    auto quality = last_rx_quality_.find(uid);
    int audio_quality = quality == last_rx_quality_.end() ? QUALITY_EXCELLENT : quality->second;
    sink_.Emit("onAudioQuality", [=](IRtcEngineEventHandler& h) {
      h.onAudioQuality(uid, audio_quality, kAudioDelayMs, 0);
    });
    RemoteVideoStats video;
    video.uid = uid;
    video.delay = kAudioDelayMs;
    video.width = entry.second.width;
    video.height = entry.second.height;
    video.receivedBitrate = kRemoteVideoKbps;
    video.receivedFrameRate = VideoPipeline::kFramesPerSecond;
    sink_.Emit("onRemoteVideoStats",
               [video](IRtcEngineEventHandler& h) { h.onRemoteVideoStats(video); });
  }
}

}  // namespace rtc
