#include "net/room_events.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace rtc {

std::optional<uid_t> UidFromId(const Json::Value& id) {
  if (!id.isString()) return std::nullopt;
  const std::string text = id.asString();
  if (text.empty() || text.size() > 10 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
  if (value == 0 || value > std::numeric_limits<uid_t>::max()) return std::nullopt;
  return static_cast<uid_t>(value);
}

std::vector<RosterChange> RoomRoster::Apply(const Json::Value& data) {
  std::vector<RosterChange> changes;
  if (!data.isObject()) return changes;
  if (data["videoroom"].asString() == "destroyed") {
    room_gone_ = true;
    for (uid_t uid : Uids()) {
      std::vector<RosterChange> gone = Drop(uid);
      changes.insert(changes.end(), gone.begin(), gone.end());
    }
    return changes;
  }
  for (const Json::Value& publisher : data["publishers"]) Publish(publisher, changes);
  if (data.isMember("display") && !data.isMember("publishers")) Redisplay(data, changes);
  Remove(data["leaving"], changes);
  Remove(data["unpublished"], changes);
  Remove(data["kicked"], changes);
  return changes;
}

void RoomRoster::Publish(const Json::Value& publisher, std::vector<RosterChange>& changes) {
  std::optional<uid_t> uid = UidFromId(publisher["id"]);
  if (!uid || *uid == local_uid_) return;
  Member next;
  for (const Json::Value& stream : publisher["streams"]) {
    if (stream["disabled"].asBool()) continue;
    if (stream["type"].asString() == "audio") next.has_audio = true;
    if (stream["type"].asString() == "video") next.has_video = true;
  }
  ReadMediaState(publisher["display"], next);
  auto known = members_.find(*uid);
  if (known == members_.end()) {
    members_[*uid] = next;
    changes.push_back({RosterChange::Kind::kJoined, *uid});
    if (next.audio_muted) changes.push_back({RosterChange::Kind::kAudioMuted, *uid, true});
    if (next.video_muted) changes.push_back({RosterChange::Kind::kVideoMuted, *uid, true});
    return;
  }
  Update(known->second, next, *uid, changes);
}

void RoomRoster::Redisplay(const Json::Value& data, std::vector<RosterChange>& changes) {
  std::optional<uid_t> uid = UidFromId(data["id"]);
  auto known = uid ? members_.find(*uid) : members_.end();
  if (known == members_.end()) return;
  Member next = known->second;
  ReadMediaState(data["display"], next);
  Update(known->second, next, *uid, changes);
}

void RoomRoster::Update(Member& member, const Member& next, uid_t uid,
                        std::vector<RosterChange>& changes) {
  if (member.audio_muted != next.audio_muted) {
    changes.push_back({RosterChange::Kind::kAudioMuted, uid, next.audio_muted});
  }
  if (member.video_muted != next.video_muted) {
    changes.push_back({RosterChange::Kind::kVideoMuted, uid, next.video_muted});
  }
  member = next;
}

void RoomRoster::ReadMediaState(const Json::Value& display, Member& member) {
  const std::string text = display.asString();
  member.audio_muted = text.find("audio=off") != std::string::npos;
  member.video_muted = text.find("video=off") != std::string::npos;
}

std::string MediaStateDisplay(bool audio_on, bool video_on) {
  return std::string("audio=") + (audio_on ? "on" : "off") + " video=" + (video_on ? "on" : "off");
}

void RoomRoster::Remove(const Json::Value& id, std::vector<RosterChange>& changes) {
  std::optional<uid_t> uid = UidFromId(id);
  if (!uid || members_.erase(*uid) == 0) return;
  changes.push_back({RosterChange::Kind::kLeft, *uid});
}

std::vector<RosterChange> RoomRoster::Drop(uid_t uid) {
  if (members_.erase(uid) == 0) return {};
  return {{RosterChange::Kind::kLeft, uid}};
}

std::vector<uid_t> RoomRoster::Uids() const {
  std::vector<uid_t> uids;
  for (const auto& member : members_) uids.push_back(member.first);
  return uids;
}

bool RoomRoster::HasVideo(uid_t uid) const {
  auto found = members_.find(uid);
  return found != members_.end() && found->second.has_video;
}

}  // namespace rtc
