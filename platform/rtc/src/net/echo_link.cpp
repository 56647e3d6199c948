#include "net/echo_link.h"

#define GST_USE_UNSTABLE_API
#include <gst/webrtc/webrtc.h>

namespace rtc {
namespace {

struct GArrayUnref {
  void operator()(GArray* array) const { g_array_unref(array); }
};

}  // namespace

std::unique_ptr<EchoLink> EchoLink::Create(std::string& error) {
  PublishSettings settings;
  settings.width = kWidth;
  settings.height = kHeight;
  std::unique_ptr<PublisherLink> publisher = PublisherLink::Create(settings, error);
  if (!publisher) return nullptr;
  GstElement* webrtc = publisher->link().webrtc();
  GArray* found = nullptr;
  g_signal_emit_by_name(webrtc, "get-transceivers", &found);
  // The array holds its own references to the transceivers.
  std::unique_ptr<GArray, GArrayUnref> transceivers(found);
  for (guint i = 0; transceivers && i < transceivers->len; ++i) {
    g_object_set(g_array_index(transceivers.get(), GstWebRTCRTPTransceiver*, i), "direction",
                 GST_WEBRTC_RTP_TRANSCEIVER_DIRECTION_SENDRECV, nullptr);
  }
  // The handler's pipeline lives as long as the element that calls it.
  g_signal_connect(webrtc, "pad-added", G_CALLBACK(&EchoLink::OnEchoedPad),
                   publisher->link().pipeline());
  std::unique_ptr<EchoLink> echo(new EchoLink(std::move(publisher)));
  // The offer waits for a frame to have been through the video's encoder.
  echo->SendFrame();
  return echo;
}

void EchoLink::SendFrame() {
  pattern_.Capture(frame_number_++, frame_);
  publisher_->PushFrame(frame_);
}

void EchoLink::OnEchoedPad(GstElement*, GstPad* pad, gpointer pipeline) {
  if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC) return;
  // Unlinked, the echo would stop the receiving side with an error.
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  if (sink == nullptr) return;
  g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
  gst_bin_add(GST_BIN(pipeline), sink);
  GstPadPtr input(gst_element_get_static_pad(sink, "sink"));
  gst_pad_link(pad, input.get());
  gst_element_sync_state_with_parent(sink);
}

}  // namespace rtc
