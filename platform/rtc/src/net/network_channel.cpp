#include "net/network_channel.h"

#include <algorithm>
#include <random>

#include "net/quality_grade.h"

namespace rtc {
namespace {

constexpr const char* kRoomPlugin = "janus.plugin.videoroom";

uid_t ChooseUid() {
  std::random_device random;
  std::uniform_int_distribution<uid_t> range(1, 0x7FFFFFFF);
  return range(random);
}

Json::Value Description(const char* type, const std::string& sdp) {
  Json::Value jsep;
  jsep["type"] = type;
  jsep["sdp"] = sdp;
  return jsep;
}

uint32_t Kbps(uint64_t bytes_now, uint64_t bytes_before, Millis period) {
  if (bytes_now <= bytes_before || period <= 0) return 0;
  return static_cast<uint32_t>((bytes_now - bytes_before) * 8 / static_cast<uint64_t>(period));
}

// Loss in percent over a window, from the counters at its two ends.
std::optional<double> LossPercent(uint64_t packets_now, uint64_t packets_before, int64_t lost_now,
                                  int64_t lost_before) {
  uint64_t packets = packets_now > packets_before ? packets_now - packets_before : 0;
  int64_t lost = std::max<int64_t>(0, lost_now - lost_before);
  if (packets == 0 && lost == 0) return std::nullopt;
  return 100.0 * static_cast<double>(lost) / static_cast<double>(packets + lost);
}

}  // namespace

NetworkChannel::NetworkChannel(EngineClock& clock, Timeline& timeline, EventSink& sink,
                               VideoPipeline& video)
    : clock_(clock), timeline_(timeline), sink_(sink), video_(video) {
  video_.SetLocalTap([this](const VideoFrame& frame) {
    std::lock_guard<std::mutex> lock(tap_mutex_);
    if (tap_ != nullptr) tap_->PushFrame(frame);
  });
  worker_ = std::thread([this] { Run(); });
}

NetworkChannel::~NetworkChannel() {
  video_.SetLocalTap(nullptr);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timeline_.Cancel(stats_task_);
    timeline_.Cancel(rejoin_task_);
    timeline_.Cancel(lost_task_);
    stopping_ = true;
    // Whatever is still queued is dropped; the lesson is left as the worker's last step.
    work_.clear();
    work_ready_.notify_one();
  }
  worker_.join();
  Disconnect();
}

void NetworkChannel::Post(uint64_t session, std::function<void()> task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return;
  work_.emplace_back(session, std::move(task));
  work_ready_.notify_one();
}

void NetworkChannel::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return stopping_ || !work_.empty(); });
    if (stopping_) return;
    auto [session, task] = std::move(work_.front());
    work_.pop_front();
    // Session 0 is work that must run whatever came after it (taking a lesson down).
    if (session != 0 && session != session_) continue;
    lock.unlock();
    task();
    lock.lock();
  }
}

int NetworkChannel::Join(const JoinRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (joined_) return ERR_REFUSED;
  joined_ = true;
  uint64_t session = ++session_;
  uid_ = request.uid != 0 ? request.uid : ChooseUid();
  stats_ = RtcStats{};
  JoinRequest join = request;
  join.uid = uid_;
  video_.StartSession(clock_.Now());
  sink_.log().Write("join channel \"%s\" as %u on %s", join.channel.c_str(), uid_,
                    join.media_server.c_str());
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_CONNECTING);
  });
  work_.emplace_back(session, [this, join] { Connect(join); });
  work_ready_.notify_one();
  stats_task_ =
      timeline_.Every(kStatsPeriodMs, [this, session] { Post(session, [this] { Measure(); }); });
  return ERR_OK;
}

int NetworkChannel::Leave() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!joined_) return ERR_REFUSED;
  joined_ = false;
  ++session_;
  timeline_.Cancel(stats_task_);
  stats_task_ = 0;
  timeline_.Cancel(rejoin_task_);
  rejoin_task_ = 0;
  timeline_.Cancel(lost_task_);
  lost_task_ = 0;
  RtcStats stats = stats_;
  remote_levels_.clear();
  local_level_ = nullptr;
  work_.emplace_back(0, [this] { Disconnect(); });
  work_ready_.notify_one();
  sink_.log().Write("leave channel");
  sink_.Emit("onLeaveChannel", [stats](IRtcEngineEventHandler& h) { h.onLeaveChannel(stats); });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_DISCONNECTED);
  });
  return ERR_OK;
}

uid_t NetworkChannel::local_uid() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return uid_;
}

std::vector<AudioVolumeInfo> NetworkChannel::Levels() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int local = local_level_ != nullptr && media_.send_audio
                  ? local_level_->Level(PublisherLink::kLevelElement)
                  : 0;
  std::vector<AudioVolumeInfo> levels{{0, static_cast<unsigned>(local)}};
  for (const auto& [uid, link] : remote_levels_) {
    int level = link != nullptr ? link->Level(SubscriberLink::kLevelElement) : 0;
    levels.push_back({uid, static_cast<unsigned>(level)});
  }
  return levels;
}

void NetworkChannel::SetLocalMedia(const LocalMedia& media) {
  uint64_t session;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (media == media_) return;
    media_ = media;
    if (!joined_) return;
    session = session_;
  }
  Post(session, [this] { UpdateMedia(); });
}

void NetworkChannel::Connect(JoinRequest request) {
  request_ = request;
  joined_at_ = clock_.Now();
  entered_ = false;
  interrupted_at_.reset();
  std::string error;
  std::optional<Json::Value> joined = Enter(error);
  if (!joined) return Fail(error);
  entered_ = true;
  std::string name = request.channel;
  uid_t uid = request.uid;
  int elapsed = static_cast<int>(clock_.Now() - joined_at_);
  sink_.Emit("onJoinChannelSuccess", [=](IRtcEngineEventHandler& h) {
    h.onJoinChannelSuccess(name.c_str(), uid, elapsed);
  });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_CONNECTED);
  });
  sink_.Emit("onMediaEngineStartCallSuccess",
             [](IRtcEngineEventHandler& h) { h.onMediaEngineStartCallSuccess(); });
  Apply(roster_->Apply(*joined));
}

void NetworkChannel::Rejoin() {
  std::string error;
  std::optional<Json::Value> joined = Enter(error);
  if (!joined) {
    sink_.log().Write("joining again failed: %s", error.c_str());
    Disconnect();
    return ScheduleRejoin();
  }
  sink_.log().Write("joined again");
  Resume();
  Apply(roster_->Apply(*joined));
}

std::optional<Json::Value> NetworkChannel::Enter(std::string& error) {
  uint64_t session;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    session = session_;
  }
  JanusSession::Handlers handlers;
  handlers.event = [this, session](uint64_t sender, const Json::Value& event) {
    Post(session, [this, sender, event] { OnEvent(sender, event); });
  };
  handlers.lost = [this, session](const std::string& why) {
    Post(session, [this, why] { Fail(why); });
  };
  handlers.reachable = [this, session](bool reachable) {
    Post(session, [this, reachable] { OnReachable(reachable); });
  };
  janus_ = JanusSession::Open(request_.media_server, std::move(handlers), error);
  std::optional<uint64_t> handle = janus_ ? janus_->Attach(kRoomPlugin, error) : std::nullopt;
  if (!handle) return std::nullopt;
  publisher_handle_ = *handle;
  LocalMedia media;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    media = media_;
  }
  Json::Value join;
  join["request"] = "join";
  join["ptype"] = "publisher";
  join["room"] = request_.channel;
  join["id"] = std::to_string(request_.uid);
  join["token"] = request_.key;
  join["display"] = MediaStateDisplay(media.send_audio, media.send_video);
  std::optional<JanusReply> joined = janus_->Message(publisher_handle_, join, Json::Value(), error);
  if (!joined || joined->data["videoroom"].asString() != "joined") {
    if (error.empty()) error = "the media room did not let the lesson in";
    return std::nullopt;
  }
  if (!Publish(error)) return std::nullopt;
  {
    // Left while joining: the queued leave takes it all down again.
    std::lock_guard<std::mutex> lock(mutex_);
    if (session != session_) {
      error = "left while joining";
      return std::nullopt;
    }
  }
  roster_ = std::make_unique<RoomRoster>(request_.uid);
  return joined->data;
}

void NetworkChannel::ScheduleRejoin() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!joined_ || stopping_) return;
  timeline_.Cancel(rejoin_task_);
  uint64_t session = session_;
  rejoin_task_ =
      timeline_.After(kRejoinPeriodMs, [this, session] { Post(session, [this] { Rejoin(); }); });
}

void NetworkChannel::Interrupt(const std::string& why) {
  if (interrupted_at_) return;
  interrupted_at_ = clock_.Now();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timeline_.Cancel(lost_task_);
    uint64_t session = session_;
    if (!stopping_) {
      lost_task_ = timeline_.After(
          kLostAfterMs, [this, session] { Post(session, [this] { ReportLongInterruption(); }); });
    }
  }
  sink_.log().Write("connection interrupted: %s", why.c_str());
  sink_.Emit("onConnectionInterrupted",
             [](IRtcEngineEventHandler& h) { h.onConnectionInterrupted(); });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_RECONNECTING);
  });
}

void NetworkChannel::Resume() {
  if (!interrupted_at_) return;
  sink_.log().Write("connection back after %lld ms",
                    static_cast<long long>(clock_.Now() - *interrupted_at_));
  interrupted_at_.reset();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timeline_.Cancel(lost_task_);
    lost_task_ = 0;
  }
  std::string name = request_.channel;
  uid_t uid = request_.uid;
  int elapsed = static_cast<int>(clock_.Now() - joined_at_);
  sink_.Emit("onRejoinChannelSuccess", [=](IRtcEngineEventHandler& h) {
    h.onRejoinChannelSuccess(name.c_str(), uid, elapsed);
  });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_CONNECTED);
  });
}

void NetworkChannel::OnReachable(bool reachable) {
  if (!entered_) return;
  if (!reachable) return Interrupt("the media server does not answer");
  // The server kept the session through the outage: the media flows again on the same links.
  if (janus_ && !janus_->lost() && publisher_) Resume();
}

void NetworkChannel::ReportLongInterruption() {
  // Each interruption arms one task; one of an earlier interruption, queued before it was
  // cancelled, comes too early for this one.
  if (!interrupted_at_ || clock_.Now() - *interrupted_at_ < kLostAfterMs) return;
  sink_.Emit("onConnectionLost", [](IRtcEngineEventHandler& h) { h.onConnectionLost(); });
}

bool NetworkChannel::Publish(std::string& error) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sent_media_ = media_;
  }
  PublishSettings settings;
  settings.width = sent_media_.width;
  settings.height = sent_media_.height;
  settings.microphone = sent_media_.microphone;
  settings.record_volume = sent_media_.record_volume;
  publisher_ = PublisherLink::Create(settings, error);
  if (!publisher_) return false;
  std::optional<std::string> offer = publisher_->link().CreateOffer(error);
  if (!offer) return false;
  Json::Value configure;
  configure["request"] = "configure";
  configure["audio"] = true;
  configure["video"] = true;
  // The join announced the media state read before it; a change since then (the camera
  // opening meanwhile) would otherwise never reach the room, as it is already published.
  configure["display"] = MediaStateDisplay(sent_media_.send_audio, sent_media_.send_video);
  std::optional<JanusReply> answer =
      janus_->Message(publisher_handle_, configure, Description("offer", *offer), error);
  if (!answer) return false;
  if (!answer->jsep.isObject() ||
      !publisher_->link().AcceptAnswer(answer->jsep["sdp"].asString(), error)) {
    if (error.empty()) error = "the media server did not answer the offer";
    return false;
  }
  // Muted only now: the offer needs the audio to have flowed once.
  publisher_->SetAudioSending(sent_media_.send_audio);
  publisher_packet_at_ = clock_.Now();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    local_level_ = &publisher_->link();
  }
  std::lock_guard<std::mutex> lock(tap_mutex_);
  tap_ = sent_media_.send_video ? publisher_.get() : nullptr;
  return true;
}

void NetworkChannel::UpdateMedia() {
  if (!publisher_) return;
  LocalMedia media;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    media = media_;
  }
  if (media.microphone != sent_media_.microphone || media.width != sent_media_.width ||
      media.height != sent_media_.height) {
    sink_.log().Write("local media changed: publishing again");
    // Other sources or sizes need another pipeline; the room sees the same participant.
    ForgetPublisher();
    Json::Value unpublish;
    unpublish["request"] = "unpublish";
    std::string error;
    janus_->Message(publisher_handle_, unpublish, Json::Value(), error);
    if (!Publish(error)) return Fail(error);
  }
  publisher_->SetAudioSending(media.send_audio);
  publisher_->SetRecordVolume(media.record_volume);
  for (auto& [uid, remote] : remotes_) remote.link->SetPlayoutVolume(media.playout_volume);
  {
    std::lock_guard<std::mutex> lock(tap_mutex_);
    tap_ = media.send_video ? publisher_.get() : nullptr;
  }
  if (media.send_audio != sent_media_.send_audio || media.send_video != sent_media_.send_video) {
    Json::Value configure;
    configure["request"] = "configure";
    configure["display"] = MediaStateDisplay(media.send_audio, media.send_video);
    std::string error;
    if (!janus_->Message(publisher_handle_, configure, Json::Value(), error)) {
      sink_.log().Write("media state not passed on: %s", error.c_str());
    }
  }
  sent_media_ = media;
}

void NetworkChannel::OnEvent(uint64_t sender, const Json::Value& event) {
  if (!roster_) return;
  const Json::Value& data = event["plugindata"]["data"];
  if (sender == publisher_handle_) {
    Apply(roster_->Apply(data));
    if (roster_->room_gone()) Fail("the lesson's media room was closed");
    return;
  }
  if (event["janus"].asString() == "hangup") {
    for (auto& [uid, remote] : remotes_) {
      if (remote.handle == sender) sink_.log().Write("subscription of %u hung up", uid);
    }
  }
}

void NetworkChannel::Apply(const std::vector<RosterChange>& changes) {
  for (const RosterChange& change : changes) {
    uid_t uid = change.uid;
    bool on = change.on;
    switch (change.kind) {
      case RosterChange::Kind::kJoined: {
        int elapsed = static_cast<int>(clock_.Now() - joined_at_);
        sink_.Emit("onUserJoined",
                   [=](IRtcEngineEventHandler& h) { h.onUserJoined(uid, elapsed); });
        Subscribe(uid);
        break;
      }
      case RosterChange::Kind::kLeft: {
        auto remote = remotes_.find(uid);
        bool silent =
            remote != remotes_.end() && clock_.Now() - remote->second.last_packet_at >= kSilenceMs;
        Unsubscribe(uid, silent ? USER_OFFLINE_DROPPED : USER_OFFLINE_QUIT);
        break;
      }
      case RosterChange::Kind::kAudioMuted:
        sink_.Emit("onUserMuteAudio",
                   [=](IRtcEngineEventHandler& h) { h.onUserMuteAudio(uid, on); });
        break;
      case RosterChange::Kind::kVideoMuted:
        video_.PauseRemote(uid, on);
        sink_.Emit("onUserMuteVideo",
                   [=](IRtcEngineEventHandler& h) { h.onUserMuteVideo(uid, on); });
        break;
    }
  }
}

void NetworkChannel::Subscribe(uid_t uid) {
  std::string error;
  std::optional<uint64_t> handle = janus_->Attach(kRoomPlugin, error);
  Remote remote;
  remote.frames = std::make_shared<FrameMailbox>();
  remote.last_packet_at = clock_.Now();
  LocalMedia media;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    media = media_;
  }
  if (handle) {
    remote.handle = *handle;
    remote.link =
        SubscriberLink::Create({media.speaker, media.playout_volume}, remote.frames, error);
  }
  std::optional<JanusReply> offer;
  if (remote.link) {
    Json::Value join;
    join["request"] = "join";
    join["ptype"] = "subscriber";
    join["room"] = request_.channel;
    join["token"] = request_.key;
    Json::Value stream;
    stream["feed"] = std::to_string(uid);
    join["streams"].append(stream);
    offer = janus_->Message(remote.handle, join, Json::Value(), error);
  }
  std::optional<std::string> answer;
  if (offer && offer->jsep.isObject()) {
    answer = remote.link->link().AnswerOffer(offer->jsep["sdp"].asString(), error);
  }
  if (answer) {
    Json::Value start;
    start["request"] = "start";
    if (!janus_->Message(remote.handle, start, Description("answer", *answer), error)) {
      answer.reset();
    }
  }
  if (!answer) {
    // The participant stays in the lesson, unseen; the log says why.
    sink_.log().Write("subscription to %u failed: %s", uid, error.c_str());
  }
  video_.AddRemote(uid, std::make_unique<MailboxSource>(remote.frames));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    remote_levels_[uid] = remote.link ? &remote.link->link() : nullptr;
  }
  remotes_[uid] = std::move(remote);
}

void NetworkChannel::Unsubscribe(uid_t uid, USER_OFFLINE_REASON_TYPE reason) {
  auto remote = remotes_.find(uid);
  if (remote == remotes_.end()) return;
  video_.RemoveRemote(uid);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    remote_levels_.erase(uid);
  }
  remote->second.link.reset();
  if (janus_ && !janus_->lost() && remote->second.handle != 0)
    janus_->Detach(remote->second.handle);
  remotes_.erase(remote);
  sink_.Emit("onUserOffline", [=](IRtcEngineEventHandler& h) { h.onUserOffline(uid, reason); });
}

void NetworkChannel::ForgetPublisher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    local_level_ = nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(tap_mutex_);
    tap_ = nullptr;
  }
  publisher_.reset();
}

void NetworkChannel::Disconnect() {
  ForgetPublisher();
  video_.RemoveAllRemotes();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    remote_levels_.clear();
  }
  remotes_.clear();  // the subscriptions end with the session
  if (janus_ && !janus_->lost() && publisher_handle_ != 0) {
    Json::Value leave;
    leave["request"] = "leave";
    std::string ignored;
    janus_->Message(publisher_handle_, leave, Json::Value(), ignored);
  }
  janus_.reset();
  publisher_handle_ = 0;
  roster_.reset();
}

void NetworkChannel::Fail(const std::string& why) {
  sink_.log().Write("channel failed: %s", why.c_str());
  bool joined;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    joined = joined_;
  }
  if (!joined) return Disconnect();  // left already: nobody waits for the news
  for (auto it = remotes_.begin(); it != remotes_.end(); it = remotes_.begin()) {
    Unsubscribe(it->first, USER_OFFLINE_DROPPED);
  }
  Disconnect();
  if (entered_) {
    Interrupt(why);
    return ScheduleRejoin();
  }
  std::string message = why;
  sink_.Emit("onError", [message](IRtcEngineEventHandler& h) {
    h.onError(ERR_JOIN_CHANNEL_REJECTED, message.c_str());
  });
  sink_.Emit("onConnectionStateChanged", [](IRtcEngineEventHandler& h) {
    h.onConnectionStateChanged(CONNECTION_STATE_DISCONNECTED);
  });
}

void NetworkChannel::LogMeasure(const char* what, const LinkMeasure& measure, int grade,
                                const std::string& failure) {
  auto figure = [](const std::optional<double>& value) { return value ? *value : -1.0; };
  sink_.log().Write("%s: loss %.1f %%, round trip %.0f ms, jitter %.1f ms, silent %lld ms: %d%s%s",
                    what, figure(measure.loss_percent), figure(measure.round_trip_ms),
                    figure(measure.jitter_ms), static_cast<long long>(measure.silent_ms), grade,
                    failure.empty() ? "" : "; ", failure.c_str());
}

void NetworkChannel::Measure() {
  if (!publisher_) return;
  const Millis now = clock_.Now();
  RtcStats stats;
  stats.duration = static_cast<uint32_t>((now - joined_at_) / 1000);
  stats.users = static_cast<uint32_t>(remotes_.size() + 1);

  LinkCounters sent = publisher_->link().Counters();
  if (sent.packets_sent > publisher_counters_.packets_sent) publisher_packet_at_ = now;
  stats.txVideoKBitRate = Kbps(sent.bytes_sent, publisher_counters_.bytes_sent, kStatsPeriodMs);
  stats.txKBitRate = stats.txVideoKBitRate;
  stats.txBytes = static_cast<uint32_t>(sent.bytes_sent);
  LinkMeasure up;
  up.loss_percent = LossPercent(sent.packets_sent, publisher_counters_.packets_sent,
                                sent.packets_lost_out, publisher_counters_.packets_lost_out);
  up.round_trip_ms = sent.round_trip_ms;
  up.jitter_ms = sent.jitter_ms;
  up.silent_ms = now - publisher_packet_at_;
  publisher_counters_ = sent;
  int tx = GradeLink(up);
  LogMeasure("sent", up, tx, publisher_->link().Failure());
  // A stream that arrives well shows the local downlink is sound: the worst one would blame
  // it for a remote's own uplink.
  int rx_best = QUALITY_UNKNOWN;

  for (auto& [uid, remote] : remotes_) {
    if (!remote.link) continue;
    LinkCounters received = remote.link->link().Counters();
    const int64_t frames = remote.frames->frames_received();
    // A source the session dropped after a silence may come back without statistics; its
    // decoded frames still tell that its media arrives.
    if (received.packets_received > remote.counters.packets_received ||
        frames > remote.frames_counted) {
      remote.last_packet_at = now;
    }
    LinkMeasure down;
    down.loss_percent = LossPercent(received.packets_received, remote.counters.packets_received,
                                    received.packets_lost_in, remote.counters.packets_lost_in);
    down.jitter_ms = received.jitter_ms;
    // The server's round trip is the local one's: every stream takes the same way to it.
    down.round_trip_ms = sent.round_trip_ms;
    down.silent_ms = now - remote.last_packet_at;
    int rx = GradeLink(down);
    LogMeasure(("from " + std::to_string(uid)).c_str(), down, rx, remote.link->link().Failure());
    if (rx != QUALITY_UNKNOWN && (rx_best == QUALITY_UNKNOWN || rx < rx_best)) rx_best = rx;
    uint32_t kbps = Kbps(received.bytes_received, remote.counters.bytes_received, kStatsPeriodMs);
    stats.rxKBitRate += kbps;
    stats.rxBytes += static_cast<uint32_t>(received.bytes_received);
    remote.counters = received;
    RemoteVideoStats video;
    video.uid = uid;
    video.delay = static_cast<int32_t>(sent.round_trip_ms.value_or(0) / 2);
    video.receivedBitrate = static_cast<int32_t>(kbps);
    video.receivedFrameRate =
        static_cast<int32_t>((frames - remote.frames_counted) * 1000 / kStatsPeriodMs);
    remote.frames_counted = frames;
    sink_.Emit("onRemoteVideoStats",
               [video](IRtcEngineEventHandler& h) { h.onRemoteVideoStats(video); });
    // The remote's own uplink is not known here: what arrives of it stands for both ways.
    sink_.Emit("onNetworkQuality", [remote_uid = uid, rx](IRtcEngineEventHandler& h) {
      h.onNetworkQuality(remote_uid, rx, rx);
    });
  }
  stats.rxVideoKBitRate = stats.rxKBitRate;
  sink_.Emit("onNetworkQuality", [=](IRtcEngineEventHandler& h) {
    h.onNetworkQuality(0, tx, rx_best == QUALITY_UNKNOWN ? tx : rx_best);
  });
  sink_.Emit("onRtcStats", [stats](IRtcEngineEventHandler& h) { h.onRtcStats(stats); });
  if (sent_media_.send_video) {
    LocalVideoStats video{static_cast<int32_t>(stats.txVideoKBitRate),
                          VideoPipeline::kFramesPerSecond};
    sink_.Emit("onLocalVideoStats",
               [video](IRtcEngineEventHandler& h) { h.onLocalVideoStats(video); });
  }
  std::lock_guard<std::mutex> lock(mutex_);
  stats_ = stats;
}

}  // namespace rtc
