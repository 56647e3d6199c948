#include "net/webrtc_link.h"

#define GST_USE_UNSTABLE_API
#include <gst/sdp/sdp.h>
#include <gst/webrtc/webrtc.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <thread>

namespace rtc {
namespace {

// Levels below this are silence; the scale runs from it up to full scale.
constexpr double kQuietestDb = -60.0;

std::optional<double> NumberField(const GstStructure* s, const char* field) {
  const GValue* value = gst_structure_get_value(s, field);
  if (value == nullptr) return std::nullopt;
  GValue number = G_VALUE_INIT;
  g_value_init(&number, G_TYPE_DOUBLE);
  std::optional<double> result;
  if (g_value_transform(value, &number)) result = g_value_get_double(&number);
  g_value_unset(&number);
  return result;
}

// One reading of a link's statistics.
struct StatsReading {
  std::map<std::string, StreamFigures> streams;
  std::optional<double> jitter_ms;
  std::optional<double> round_trip_ms;
};

// id: the statistics' own id, the reply's field name.
gboolean AddStats(GQuark id, const GValue* value, gpointer reading_pointer) {
  auto& reading = *static_cast<StatsReading*>(reading_pointer);
  if (!GST_VALUE_HOLDS_STRUCTURE(value)) return TRUE;
  const GstStructure* s = gst_value_get_structure(value);
  GstWebRTCStatsType type;
  if (!gst_structure_get(s, "type", GST_TYPE_WEBRTC_STATS_TYPE, &type, nullptr)) return TRUE;
  auto count = [s](const char* field) { return NumberField(s, field).value_or(0.0); };
  auto figures = [&](StreamFigures::Kind kind, const char* packets, const char* lost,
                     const char* bytes) {
    StreamFigures& stream = reading.streams[g_quark_to_string(id)];
    stream.kind = kind;
    if (packets != nullptr) stream.packets = static_cast<uint64_t>(count(packets));
    if (lost != nullptr) stream.lost = static_cast<int64_t>(count(lost));
    if (bytes != nullptr) stream.bytes = static_cast<uint64_t>(count(bytes));
  };
  // Video's jitter also carries how unevenly its frames were encoded; the steadiest stream
  // tells the network's own.
  auto steadiest_jitter = [&](std::optional<double> seconds) {
    if (seconds) reading.jitter_ms = std::min(reading.jitter_ms.value_or(1e9), *seconds * 1000);
  };
  switch (type) {
    case GST_WEBRTC_STATS_INBOUND_RTP:
      figures(StreamFigures::Kind::kReceived, "packets-received", "packets-lost", "bytes-received");
      steadiest_jitter(NumberField(s, "jitter"));
      break;
    case GST_WEBRTC_STATS_OUTBOUND_RTP:
      figures(StreamFigures::Kind::kSent, "packets-sent", nullptr, "bytes-sent");
      break;
    case GST_WEBRTC_STATS_REMOTE_INBOUND_RTP: {
      figures(StreamFigures::Kind::kReportedLost, nullptr, "packets-lost", nullptr);
      steadiest_jitter(NumberField(s, "jitter"));
      std::optional<double> rtt = NumberField(s, "round-trip-time");
      if (rtt && *rtt > 0) {
        reading.round_trip_ms = std::max(reading.round_trip_ms.value_or(0.0), *rtt * 1000);
      }
      break;
    }
    default:
      break;
  }
  return TRUE;
}

int LevelFromDb(double db) {
  if (!std::isfinite(db) || db <= kQuietestDb) return 0;
  return std::min(255, static_cast<int>((db - kQuietestDb) / -kQuietestDb * 255.0 + 0.5));
}

}  // namespace

WebRtcLink::WebRtcLink(const std::string& name) {
  EnsureGstStarted();
  GstElement* pipeline = gst_pipeline_new(name.c_str());
  pipeline_.reset(GST_ELEMENT(gst_object_ref_sink(pipeline)));
  GstElement* webrtc = gst_element_factory_make("webrtcbin", "webrtc");
  if (webrtc == nullptr || !gst_bin_add(GST_BIN(pipeline_.get()), webrtc)) {
    failure_ = "the WebRTC element is not installed";
    return;
  }
  webrtc_ = webrtc;
  g_object_set(webrtc_, "bundle-policy", GST_WEBRTC_BUNDLE_POLICY_MAX_BUNDLE, "latency", 100,
               nullptr);
  GstBusPtr bus(gst_element_get_bus(pipeline_.get()));
  gst_bus_set_sync_handler(bus.get(), &WebRtcLink::OnBusMessage, this, nullptr);
}

WebRtcLink::~WebRtcLink() {
  gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  GstBusPtr bus(gst_element_get_bus(pipeline_.get()));
  gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
}

bool WebRtcLink::Play(std::string& error) {
  if (!ok()) {
    error = Failure();
    return false;
  }
  if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    std::string reported = Failure();
    error = reported.empty() ? "the media pipeline did not start" : reported;
    return false;
  }
  return true;
}

// True once every stream to send has run through its payloader: the server matches what
// arrives to the offer's streams by their sources, which an offer made earlier lacks.
bool WebRtcLink::SendersReady() const {
  bool ready = true;
  GstIterator* pads = gst_element_iterate_sink_pads(webrtc_);
  GValue item = G_VALUE_INIT;
  while (ready && gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
    GstCapsPtr caps(gst_pad_get_current_caps(GST_PAD(g_value_get_object(&item))));
    const GstStructure* s = caps ? gst_caps_get_structure(caps.get(), 0) : nullptr;
    ready = s != nullptr && gst_structure_has_field(s, "ssrc");
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(pads);
  return ready;
}

std::optional<std::string> WebRtcLink::CreateOffer(std::string& error) {
  for (int waited = 0; !SendersReady(); waited += 10) {
    if (waited >= kSendersTimeoutMs) {
      std::string failure = Failure();
      error = failure.empty() ? "the local media did not start" : failure;
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return CreateLocal("create-offer", "offer", "no offer could be made", error);
}

std::optional<std::string> WebRtcLink::AnswerOffer(const std::string& offer, std::string& error) {
  if (!SetDescription("set-remote-description", GST_WEBRTC_SDP_TYPE_OFFER, offer, error)) {
    return std::nullopt;
  }
  return CreateLocal("create-answer", "answer", "the server's offer could not be answered", error);
}

std::optional<std::string> WebRtcLink::CreateLocal(const char* signal, const char* field,
                                                   const char* failure, std::string& error) {
  GstPromisePtr promise(gst_promise_new());
  g_signal_emit_by_name(webrtc_, signal, nullptr, promise.get());
  GstWebRTCSessionDescription* description = nullptr;
  if (gst_promise_wait(promise.get()) == GST_PROMISE_RESULT_REPLIED) {
    gst_structure_get(gst_promise_get_reply(promise.get()), field,
                      GST_TYPE_WEBRTC_SESSION_DESCRIPTION, &description, nullptr);
  }
  if (description == nullptr) {
    error = failure;
    return std::nullopt;
  }
  GstPromisePtr set(gst_promise_new());
  g_signal_emit_by_name(webrtc_, "set-local-description", description, set.get());
  gst_promise_wait(set.get());
  gst_webrtc_session_description_free(description);
  return LocalDescription(error);
}

bool WebRtcLink::AcceptAnswer(const std::string& answer, std::string& error) {
  return SetDescription("set-remote-description", GST_WEBRTC_SDP_TYPE_ANSWER, answer, error);
}

bool WebRtcLink::SetDescription(const char* signal, int type, const std::string& sdp,
                                std::string& error) {
  GstSDPMessage* message = nullptr;
  gst_sdp_message_new(&message);
  if (gst_sdp_message_parse_buffer(reinterpret_cast<const guint8*>(sdp.data()),
                                   static_cast<guint>(sdp.size()), message) != GST_SDP_OK) {
    gst_sdp_message_free(message);
    error = "the server's session description is not valid";
    return false;
  }
  // The description takes the message.
  GstWebRTCSessionDescription* description =
      gst_webrtc_session_description_new(static_cast<GstWebRTCSDPType>(type), message);
  GstPromisePtr promise(gst_promise_new());
  g_signal_emit_by_name(webrtc_, signal, description, promise.get());
  gst_promise_wait(promise.get());
  gst_webrtc_session_description_free(description);
  const GstStructure* reply = gst_promise_get_reply(promise.get());
  if (reply != nullptr && gst_structure_has_field(reply, "error")) {
    GError* failure = nullptr;
    gst_structure_get(reply, "error", G_TYPE_ERROR, &failure, nullptr);
    error = std::string("the server's session description was refused: ") +
            (failure ? failure->message : "no reason given");
    if (failure) g_error_free(failure);
    return false;
  }
  return true;
}

std::optional<std::string> WebRtcLink::LocalDescription(std::string& error) {
  // Every candidate goes into the description: the server gets them all at once.
  for (int waited = 0;; waited += 20) {
    GstWebRTCICEGatheringState state = GST_WEBRTC_ICE_GATHERING_STATE_NEW;
    g_object_get(webrtc_, "ice-gathering-state", &state, nullptr);
    if (state == GST_WEBRTC_ICE_GATHERING_STATE_COMPLETE) break;
    if (waited >= kGatheringTimeoutMs) {
      error = "no network address could be gathered for the media (is a network up?)";
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  GstWebRTCSessionDescription* local = nullptr;
  g_object_get(webrtc_, "local-description", &local, nullptr);
  if (local == nullptr) {
    error = "no local session description";
    return std::nullopt;
  }
  gchar* text = gst_sdp_message_as_text(local->sdp);
  std::string sdp = text;
  g_free(text);
  gst_webrtc_session_description_free(local);
  return sdp;
}

LinkCounters WebRtcLink::Counters() {
  StatsReading reading;
  GstPromisePtr promise(gst_promise_new());
  g_signal_emit_by_name(webrtc_, "get-stats", nullptr, promise.get());
  if (gst_promise_wait(promise.get()) == GST_PROMISE_RESULT_REPLIED) {
    const GstStructure* reply = gst_promise_get_reply(promise.get());
    if (reply != nullptr) gst_structure_foreach(reply, &AddStats, &reading);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  totals_.Add(reading.streams);
  LinkCounters counters = totals_.totals();
  counters.jitter_ms = reading.jitter_ms;
  counters.round_trip_ms = reading.round_trip_ms;
  return counters;
}

int WebRtcLink::Level(const std::string& element) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = levels_.find(element);
  if (found == levels_.end() || clock_.Now() - found->second.at > kLevelHoldMs) return 0;
  return found->second.level;
}

std::string WebRtcLink::Failure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

GstBusSyncReply WebRtcLink::OnBusMessage(GstBus*, GstMessage* message, gpointer self_pointer) {
  auto& self = *static_cast<WebRtcLink*>(self_pointer);
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT) {
    self.OnLevel(message);
  } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    std::lock_guard<std::mutex> lock(self.mutex_);
    if (self.failure_.empty()) {
      self.failure_ = std::string(GST_OBJECT_NAME(GST_MESSAGE_SRC(message))) + ": " +
                      (error ? error->message : "failed");
    }
    if (error) g_error_free(error);
  }
  gst_message_unref(message);
  return GST_BUS_DROP;
}

void WebRtcLink::OnLevel(GstMessage* message) {
  const GstStructure* s = gst_message_get_structure(message);
  if (s == nullptr || !gst_structure_has_name(s, "level")) return;
  const GValue* rms = gst_structure_get_value(s, "rms");
  if (rms == nullptr) return;
  double loudest = -INFINITY;
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  if (G_VALUE_HOLDS(rms, g_value_array_get_type())) {
    auto* channels = static_cast<GValueArray*>(g_value_get_boxed(rms));
    for (guint i = 0; channels != nullptr && i < channels->n_values; ++i) {
      loudest = std::max(loudest, g_value_get_double(g_value_array_get_nth(channels, i)));
    }
  }
  G_GNUC_END_IGNORE_DEPRECATIONS
  std::lock_guard<std::mutex> lock(mutex_);
  levels_[GST_OBJECT_NAME(GST_MESSAGE_SRC(message))] = Measured{LevelFromDb(loudest), clock_.Now()};
}

}  // namespace rtc
