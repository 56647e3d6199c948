#include "tools/peer/peer_report.h"

#include <json/writer.h>

#include <sstream>

#include "rtc/rtc_base.h"

namespace {

const char* Bool(bool value) { return value ? "true" : "false"; }

}  // namespace

PeerReport::PeerReport(std::function<void()> on_failure) : on_failure_(std::move(on_failure)) {}

std::string PeerReport::NextLine(int seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::ostringstream line;
  line << R"({"t":)" << seconds << R"(,"joined":)" << Bool(joined_) << R"(,"connection_lost":)"
       << connection_lost_ << R"(,"remotes":{)";
  const char* separator = "";
  for (auto& [uid, remote] : remotes_) {
    remote.frames += remote.frame_rate;
    line << separator << '"' << uid << R"(":{"frames":)" << remote.frames << R"(,"width":)"
         << remote.width << R"(,"height":)" << remote.height << R"(,"level":)" << remote.level
         << R"(,"muted_audio":)" << Bool(remote.muted_audio) << R"(,"muted_video":)"
         << Bool(remote.muted_video) << '}';
    separator = ",";
  }
  line << R"(},"left":{)";
  separator = "";
  for (const auto& [uid, reason] : left_) {
    line << separator << '"' << uid << R"(":)" << reason;
    separator = ",";
  }
  line << "}}";
  return line.str();
}

std::optional<std::string> PeerReport::Failure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

void PeerReport::Fail(std::string text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failure_) return;
    failure_ = std::move(text);
  }
  on_failure_();
}

void PeerReport::onJoinChannelSuccess(const char*, rtc::uid_t, int) {
  std::lock_guard<std::mutex> lock(mutex_);
  joined_ = true;
}

void PeerReport::onRejoinChannelSuccess(const char*, rtc::uid_t, int) {
  std::lock_guard<std::mutex> lock(mutex_);
  joined_ = true;
}

void PeerReport::onError(int err, const char* msg) {
  std::string text = "engine error " + std::to_string(err);
  if (msg != nullptr && *msg != '\0') text += std::string(": ") + msg;
  Fail(std::move(text));
}

void PeerReport::onConnectionStateChanged(int state) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state != rtc::CONNECTION_STATE_CONNECTED) joined_ = false;
  }
  // The peer reads failures only until it leaves, so its own leaving never counts as one.
  if (state == rtc::CONNECTION_STATE_DISCONNECTED) Fail("engine: disconnected from the channel");
}

void PeerReport::onConnectionLost() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++connection_lost_;
}

void PeerReport::onUserJoined(rtc::uid_t uid, int) {
  std::lock_guard<std::mutex> lock(mutex_);
  remotes_[uid];
}

void PeerReport::onUserOffline(rtc::uid_t uid, rtc::USER_OFFLINE_REASON_TYPE reason) {
  std::lock_guard<std::mutex> lock(mutex_);
  remotes_.erase(uid);
  left_[uid] = static_cast<int>(reason);
}

void PeerReport::Resize(rtc::uid_t uid, int width, int height) {
  std::lock_guard<std::mutex> lock(mutex_);
  Remote& remote = remotes_[uid];
  remote.width = width;
  remote.height = height;
}

void PeerReport::onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height, int) {
  Resize(uid, width, height);
}

void PeerReport::onVideoSizeChanged(rtc::uid_t uid, int width, int height, int) {
  // uid 0 is the peer's own video.
  if (uid != 0) Resize(uid, width, height);
}

void PeerReport::onRemoteVideoStats(const rtc::RemoteVideoStats& stats) {
  std::lock_guard<std::mutex> lock(mutex_);
  remotes_[stats.uid].frame_rate = stats.receivedFrameRate;
}

void PeerReport::onAudioVolumeIndication(const rtc::AudioVolumeInfo* speakers,
                                         unsigned int speakerNumber, int) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A remote missing from the indication is silent now.
  for (auto& entry : remotes_) entry.second.level = 0;
  for (unsigned i = 0; i < speakerNumber; ++i) {
    if (speakers[i].uid != 0) remotes_[speakers[i].uid].level = speakers[i].volume;
  }
}

void PeerReport::onUserMuteAudio(rtc::uid_t uid, bool muted) {
  std::lock_guard<std::mutex> lock(mutex_);
  remotes_[uid].muted_audio = muted;
}

void PeerReport::onUserMuteVideo(rtc::uid_t uid, bool muted) {
  std::lock_guard<std::mutex> lock(mutex_);
  remotes_[uid].muted_video = muted;
}

std::string ErrorLine(const std::string& text) {
  return R"({"error":)" + Json::valueToQuotedString(text.c_str()) + "}";
}
