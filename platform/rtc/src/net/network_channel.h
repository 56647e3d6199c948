// The lesson's channel on a media server: the local participant publishes into the lesson's
// room, every other publisher there is subscribed, decoded and drawn; room events, WebRTC
// statistics and measured audio levels become the engine's callbacks.
//
// A lesson once entered rides out outages: a server that stops answering interrupts it, and
// a session that is lost is joined again, with the same uid and key, until the lesson is left.
//
// Threads: calls come under the engine's lock and never block; a worker of the channel does
// the network's steps in order (join, subscriptions, leave); the media server's events and
// the timeline's statistics tick are handed to it. The worker ends with the channel.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "channel.h"
#include "event_sink.h"
#include "net/frame_mailbox.h"
#include "net/janus_session.h"
#include "net/publisher_link.h"
#include "net/quality_grade.h"
#include "net/room_events.h"
#include "net/subscriber_link.h"
#include "timeline.h"
#include "video_pipeline.h"

namespace rtc {

class NetworkChannel final : public Channel {
 public:
  // A participant whose media stopped this long before the room reported it gone was lost,
  // not hung up; the same silence also grades its link "down".
  static constexpr Millis kSilenceMs = 3000;
  // An interruption this long is reported as a lost connection; the tries go on.
  static constexpr Millis kLostAfterMs = 10000;
  static constexpr Millis kRejoinPeriodMs = 2000;

  NetworkChannel(EngineClock& clock, Timeline& timeline, EventSink& sink, VideoPipeline& video);
  ~NetworkChannel() override;

  int Join(const JoinRequest& request) override;
  int Leave() override;
  uid_t local_uid() const override;
  std::vector<AudioVolumeInfo> Levels() const override;
  void SetLocalMedia(const LocalMedia& media) override;

 private:
  struct Remote {
    uint64_t handle = 0;
    std::shared_ptr<FrameMailbox> frames;
    std::unique_ptr<SubscriberLink> link;
    LinkCounters counters;
    Millis last_packet_at = 0;
    int64_t frames_counted = 0;
  };
  // Work for the worker; tasks of an earlier session do nothing.
  void Post(uint64_t session, std::function<void()> task);
  void Run();
  void Connect(JoinRequest request);
  void Rejoin();
  // A session, the room joined and the local media published: the room's answer to the join,
  // or null with the error.
  std::optional<Json::Value> Enter(std::string& error);
  void ScheduleRejoin();
  void Interrupt(const std::string& why);
  void Resume();
  void OnReachable(bool reachable);
  void ReportLongInterruption();
  bool Publish(std::string& error);
  void ForgetPublisher();
  void Disconnect();
  void OnEvent(uint64_t sender, const Json::Value& event);
  void Apply(const std::vector<RosterChange>& changes);
  void Subscribe(uid_t uid);
  void Unsubscribe(uid_t uid, USER_OFFLINE_REASON_TYPE reason);
  void UpdateMedia();
  void Measure();
  // One line of the engine's log per link and period: what was measured and its grade.
  void LogMeasure(const char* what, const LinkMeasure& measure, int grade,
                  const std::string& failure);
  void Fail(const std::string& why);
  RtcStats CurrentStats() const;  // state lock held

  EngineClock& clock_;
  Timeline& timeline_;
  EventSink& sink_;
  VideoPipeline& video_;

  // The caller's side: the queue and what the calls read.
  mutable std::mutex mutex_;
  std::condition_variable work_ready_;
  std::deque<std::pair<uint64_t, std::function<void()>>> work_;
  bool stopping_ = false;
  uint64_t session_ = 0;
  bool joined_ = false;
  uid_t uid_ = 0;
  LocalMedia media_;
  Timeline::TaskId stats_task_ = 0;
  Timeline::TaskId rejoin_task_ = 0;
  Timeline::TaskId lost_task_ = 0;
  // Where the levels are measured; the worker drops a link from here before it goes.
  const WebRtcLink* local_level_ = nullptr;
  std::map<uid_t, const WebRtcLink*> remote_levels_;
  RtcStats stats_;  // the last measured

  // The worker's own; only it touches these.
  JoinRequest request_;
  Millis joined_at_ = 0;
  bool entered_ = false;  // the room let this lesson in once
  std::optional<Millis> interrupted_at_;
  std::unique_ptr<JanusSession> janus_;
  uint64_t publisher_handle_ = 0;
  std::unique_ptr<PublisherLink> publisher_;
  LinkCounters publisher_counters_;
  Millis publisher_packet_at_ = 0;
  LocalMedia sent_media_;
  std::unique_ptr<RoomRoster> roster_;
  std::map<uid_t, Remote> remotes_;

  // The video thread's way to the publisher; a leaf lock.
  std::mutex tap_mutex_;
  PublisherLink* tap_ = nullptr;

  std::thread worker_;
};

}  // namespace rtc
