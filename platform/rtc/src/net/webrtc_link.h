// One WebRTC connection to the media server: a pipeline around a webrtcbin, its session
// descriptions with every local candidate in them (the server is not sent candidates one by
// one), its statistics and the audio levels its level elements measure.
//
// The pipeline runs on the media library's own threads; the calls here block the caller
// until the step they ask for is done, so they belong on a worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "engine_clock.h"
#include "net/gst_handles.h"
#include "net/link_counters.h"

namespace rtc {

class WebRtcLink {
 public:
  static constexpr int kGatheringTimeoutMs = 5000;
  static constexpr int kSendersTimeoutMs = 3000;
  static constexpr Millis kLevelHoldMs = 600;

  explicit WebRtcLink(const std::string& name);
  ~WebRtcLink();
  WebRtcLink(const WebRtcLink&) = delete;
  WebRtcLink& operator=(const WebRtcLink&) = delete;

  GstElement* pipeline() const { return pipeline_.get(); }
  GstElement* webrtc() const { return webrtc_; }
  bool ok() const { return webrtc_ != nullptr; }

  bool Play(std::string& error);
  // The local offer (publisher) or the answer to a remote offer (subscriber), as SDP text.
  std::optional<std::string> CreateOffer(std::string& error);
  std::optional<std::string> AnswerOffer(const std::string& offer, std::string& error);
  bool AcceptAnswer(const std::string& answer, std::string& error);

  LinkCounters Counters();
  // The last level that the level element of that name measured, 0 to 255; 0 once it has
  // measured nothing for a while (a stream that stopped).
  int Level(const std::string& element) const;
  // The first error the pipeline reported; empty while all is well.
  std::string Failure() const;

 private:
  static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
  void OnLevel(GstMessage* message);
  bool SendersReady() const;
  // Creates the offer or answer (signal, reply field), makes it the local description and
  // gives it with every candidate.
  std::optional<std::string> CreateLocal(const char* signal, const char* field, const char* failure,
                                         std::string& error);
  bool SetDescription(const char* signal, int type, const std::string& sdp, std::string& error);
  std::optional<std::string> LocalDescription(std::string& error);

  GstElementPtr pipeline_;
  GstElement* webrtc_ = nullptr;  // owned by the pipeline
  SteadyEngineClock clock_;

  mutable std::mutex mutex_;
  struct Measured {
    int level = 0;
    Millis at = 0;
  };
  std::map<std::string, Measured> levels_;
  std::string failure_;
  LinkTotals totals_;
};

}  // namespace rtc
