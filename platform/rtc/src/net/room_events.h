// What the media room's events mean for the lesson: who publishes, who left, and when a
// participant stops or resumes sending audio or video. Each participant states that in its
// display text ("audio=on video=off"), which the room passes on to the others whenever it
// changes. Pure: JSON in, changes out.
#pragma once

#include <json/value.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rtc/rtc_base.h"

namespace rtc {

struct RosterChange {
  enum class Kind { kJoined, kLeft, kAudioMuted, kVideoMuted };
  Kind kind;
  uid_t uid;
  bool on = true;  // for the mute kinds: muted
  bool operator==(const RosterChange& o) const {
    return kind == o.kind && uid == o.uid && on == o.on;
  }
};

// The room's participants as the local one sees them; the local uid never appears.
class RoomRoster {
 public:
  explicit RoomRoster(uid_t local_uid) : local_uid_(local_uid) {}

  // Any VideoRoom answer or event ("plugindata"."data"): the "joined" answer, later
  // "publishers" lists, "leaving" and "unpublished" notices. Unknown ids and texts that are
  // not decimal uids are passed over.
  std::vector<RosterChange> Apply(const Json::Value& data);
  // A participant who is gone without the room saying so.
  std::vector<RosterChange> Drop(uid_t uid);
  std::vector<uid_t> Uids() const;
  bool HasVideo(uid_t uid) const;
  // True when the room itself was destroyed.
  bool room_gone() const { return room_gone_; }

 private:
  struct Member {
    bool has_audio = false;
    bool has_video = false;
    bool audio_muted = false;
    bool video_muted = false;
  };
  void Publish(const Json::Value& publisher, std::vector<RosterChange>& changes);
  void Redisplay(const Json::Value& data, std::vector<RosterChange>& changes);
  void Remove(const Json::Value& id, std::vector<RosterChange>& changes);
  static void Update(Member& member, const Member& next, uid_t uid,
                     std::vector<RosterChange>& changes);
  static void ReadMediaState(const Json::Value& display, Member& member);

  uid_t local_uid_;
  std::map<uid_t, Member> members_;
  bool room_gone_ = false;
};

// The display text that states what a participant sends.
std::string MediaStateDisplay(bool audio_on, bool video_on);

// A room id text as a uid: decimal, within 32 bits, not 0.
std::optional<uid_t> UidFromId(const Json::Value& id);

}  // namespace rtc
