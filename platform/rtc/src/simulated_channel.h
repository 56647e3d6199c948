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

#include "channel.h"
#include "engine_config.h"
#include "event_sink.h"
#include "timeline.h"
#include "video_pipeline.h"

namespace rtc {

class SimulatedChannel final : public Channel {
 public:
  // Levels of the sources before the signal volumes apply (0 to 255).
  static constexpr int kToneLevel = 160;
  static constexpr int kRemoteSpeechLevel = 120;

  // What the channel asks of the rest of the engine. Called with the channel's lock held:
  // neither may call back into the channel.
  struct Hooks {
    std::function<void(const DeviceEvent&)> device_event;
    std::function<void(RtcStats&)> fill_local_stats;
  };

  SimulatedChannel(const Scenario& scenario, EngineClock& clock, Timeline& timeline,
                   EventSink& sink, VideoPipeline& video, Hooks hooks);

  int Join(const JoinRequest& request) override;
  int Leave() override;
  uid_t local_uid() const override;
  std::vector<AudioVolumeInfo> Levels() const override;
  void SetLocalMedia(const LocalMedia& media) override;

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
  LocalMedia media_;
  std::vector<Timeline::TaskId> tasks_;
};

}  // namespace rtc
