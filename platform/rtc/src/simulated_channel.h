// The channel: the local participant's join and leave, and remote participants who follow
// the configured scenario (joins, departures, video sizes, network quality, device events,
// network losses with re-joins), all timed from the local join on the engine's timeline.
// Without a scenario the channel holds only the local participant.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine_config.h"
#include "event_sink.h"
#include "timeline.h"
#include "video_pipeline.h"

namespace rtc {

class SimulatedChannel {
 public:
  static constexpr Millis kStatsPeriodMs = 2000;

  // What the channel asks of the rest of the engine. Called with the channel's lock held:
  // neither may call back into the channel.
  struct Hooks {
    std::function<void(const DeviceEvent&)> device_event;
    std::function<void(RtcStats&)> fill_local_stats;
  };

  SimulatedChannel(const Scenario& scenario, EngineClock& clock, Timeline& timeline,
                   EventSink& sink, VideoPipeline& video, Hooks hooks);

  // ERR_REFUSED while already in a channel; the outcome follows as callbacks.
  int Join(const std::string& channel, uid_t uid);
  // ERR_REFUSED when not in a channel.
  int Leave();
  bool joined() const;
  // The uid of the last join (the one chosen when it was 0).
  uid_t local_uid() const;
  std::vector<uid_t> RemoteUids() const;

 private:
  struct Remote {
    int width;
    int height;
  };
  void Schedule(Millis at, std::function<void()> task);
  void ScheduleScenario();
  void UserJoined(const ScenarioUser& user);
  void UserMuted(uid_t uid, const MuteChange& mute);
  void UserLeft(const ScenarioUser& user);
  void NetworkLost(const NetworkLoss& loss);
  void Rejoined(Millis after);
  void ReportStats();
  RtcStats CurrentStats() const;

  const Scenario& scenario_;
  EngineClock& clock_;
  Timeline& timeline_;
  EventSink& sink_;
  VideoPipeline& video_;
  Hooks hooks_;

  mutable std::mutex mutex_;
  bool joined_ = false;
  uint64_t session_ = 0;  // tasks of an earlier session do nothing
  std::string channel_;
  uid_t uid_ = 0;
  Millis join_time_ = 0;
  std::map<uid_t, Remote> remotes_;
  std::map<uid_t, int> last_rx_quality_;
  std::vector<Timeline::TaskId> tasks_;
};

}  // namespace rtc
