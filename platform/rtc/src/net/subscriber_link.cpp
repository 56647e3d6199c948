#include "net/subscriber_link.h"

#define GST_USE_UNSTABLE_API
#include <gst/webrtc/webrtc.h>

#include "appsink_frames.h"

namespace rtc {
namespace {

constexpr const char* kPlayVolumeElement = "play_volume";

}  // namespace

std::unique_ptr<SubscriberLink> SubscriberLink::Create(const PlaybackSettings& settings,
                                                       std::shared_ptr<FrameMailbox> frames,
                                                       std::string& error) {
  std::unique_ptr<SubscriberLink> subscriber(new SubscriberLink(settings, std::move(frames)));
  WebRtcLink& link = subscriber->link_;
  if (!link.ok()) {
    error = link.Failure();
    return nullptr;
  }
  subscriber->playout_volume_ = settings.playout_volume / 100.0;
  subscriber->pad_added_ = g_signal_connect(
      link.webrtc(), "pad-added", G_CALLBACK(&SubscriberLink::OnPadAdded), subscriber.get());
  if (!link.Play(error)) return nullptr;
  return subscriber;
}

SubscriberLink::~SubscriberLink() {
  // The pipeline stops first, so that no decoder thread still delivers into this object.
  gst_element_set_state(link_.pipeline(), GST_STATE_NULL);
  if (pad_added_ != 0) g_signal_handler_disconnect(link_.webrtc(), pad_added_);
}

void SubscriberLink::OnPadAdded(GstElement*, GstPad* pad, gpointer self) {
  if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC) return;
  static_cast<SubscriberLink*>(self)->AddReceiveBranch(pad);
}

void SubscriberLink::AddReceiveBranch(GstPad* pad) {
  // The pad may come before any caps do; its transceiver knows what it carries.
  GstWebRTCKind kind = GST_WEBRTC_KIND_UNKNOWN;
  GstWebRTCRTPTransceiver* transceiver = nullptr;
  g_object_get(pad, "transceiver", &transceiver, nullptr);
  if (transceiver != nullptr) {
    g_object_get(transceiver, "kind", &kind, nullptr);
    gst_object_unref(transceiver);
  }
  if (kind == GST_WEBRTC_KIND_UNKNOWN) {
    GstCapsPtr caps(gst_pad_query_caps(pad, nullptr));
    const GstStructure* s = caps ? gst_caps_get_structure(caps.get(), 0) : nullptr;
    const char* media = s ? gst_structure_get_string(s, "media") : nullptr;
    if (media != nullptr && std::string(media) == "video") kind = GST_WEBRTC_KIND_VIDEO;
    if (media != nullptr && std::string(media) == "audio") kind = GST_WEBRTC_KIND_AUDIO;
  }
  std::string description;
  bool video = kind == GST_WEBRTC_KIND_VIDEO;
  if (video) {
    description =
        "rtpvp8depay ! vp8dec ! videoconvert ! video/x-raw,format=BGRx"
        " ! appsink name=frames sync=false max-buffers=1 drop=true";
  } else if (kind == GST_WEBRTC_KIND_AUDIO) {
    double volume;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      volume = playout_volume_;
    }
    std::string output = settings_.speaker.empty()
                             ? std::string("fakesink sync=true")
                             : "pulsesink device=\"" + settings_.speaker + "\"";
    description = "rtpopusdepay ! opusdec ! audioconvert ! audioresample ! volume name=" +
                  std::string(kPlayVolumeElement) + " volume=" + std::to_string(volume) +
                  " ! level name=" + kLevelElement + " interval=100000000 post-messages=true ! " +
                  output;
  } else {
    return;
  }
  GError* failure = nullptr;
  GstElement* branch = gst_parse_bin_from_description(description.c_str(), TRUE, &failure);
  if (failure) g_error_free(failure);
  if (branch == nullptr) return;
  if (video) {
    GstElement* sink = gst_bin_get_by_name(GST_BIN(branch), "frames");
    SendFramesTo(sink, *frames_);
    gst_object_unref(sink);
  }
  gst_bin_add(GST_BIN(link_.pipeline()), branch);
  gst_element_sync_state_with_parent(branch);
  GstPadPtr sink(gst_element_get_static_pad(branch, "sink"));
  gst_pad_link(pad, sink.get());
}

void SubscriberLink::SetPlayoutVolume(int percent) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    playout_volume_ = percent / 100.0;
  }
  GstElement* volume = gst_bin_get_by_name(GST_BIN(link_.pipeline()), kPlayVolumeElement);
  if (volume == nullptr) return;
  g_object_set(volume, "volume", percent / 100.0, nullptr);
  gst_object_unref(volume);
}

}  // namespace rtc
