#include "net/publisher_link.h"

#define GST_USE_UNSTABLE_API
#include <gst/app/gstappsrc.h>
#include <gst/webrtc/webrtc.h>

#include "video_pipeline.h"

namespace rtc {
namespace {

constexpr int kVideoKbps = 600;
constexpr int kAudioKbps = 48;
constexpr double kToneVolume = 0.4;

// A branch of the pipeline from a description, linked into a new sending pad of webrtcbin
// and set to send only.
bool AddSendBranch(WebRtcLink& link, const std::string& description, std::string& error) {
  GError* failure = nullptr;
  GstElement* branch = gst_parse_bin_from_description(description.c_str(), TRUE, &failure);
  if (branch == nullptr) {
    error = std::string("media branch: ") + (failure ? failure->message : "invalid");
    if (failure) g_error_free(failure);
    return false;
  }
  if (failure) g_error_free(failure);
  gst_bin_add(GST_BIN(link.pipeline()), branch);
  GstPadPtr source(gst_element_get_static_pad(branch, "src"));
  GstPadPtr sink(gst_element_request_pad_simple(link.webrtc(), "sink_%u"));
  if (!source || !sink || gst_pad_link(source.get(), sink.get()) != GST_PAD_LINK_OK) {
    error = "media branch could not be linked to the connection";
    return false;
  }
  GstWebRTCRTPTransceiver* transceiver = nullptr;
  g_object_get(sink.get(), "transceiver", &transceiver, nullptr);
  if (transceiver != nullptr) {
    g_object_set(transceiver, "direction", GST_WEBRTC_RTP_TRANSCEIVER_DIRECTION_SENDONLY, nullptr);
    gst_object_unref(transceiver);
  }
  return true;
}

std::string VideoCaps(int width, int height) {
  return "video/x-raw,format=BGRx,width=" + std::to_string(width) +
         ",height=" + std::to_string(height) +
         ",framerate=" + std::to_string(VideoPipeline::kFramesPerSecond) + "/1";
}

}  // namespace

std::unique_ptr<PublisherLink> PublisherLink::Create(const PublishSettings& settings,
                                                     std::string& error) {
  std::unique_ptr<PublisherLink> publisher(new PublisherLink(settings));
  if (!publisher->Build(error) || !publisher->link_.Play(error)) return nullptr;
  return publisher;
}

bool PublisherLink::Build(std::string& error) {
  if (!link_.ok()) {
    error = link_.Failure();
    return false;
  }
  std::string source =
      settings_.microphone.empty()
          ? "audiotestsrc is-live=true wave=sine freq=440 volume=" + std::to_string(kToneVolume)
          : "pulsesrc device=\"" + settings_.microphone + "\"";
  std::string audio =
      source + " ! audioconvert ! audioresample ! volume name=record volume=" +
      std::to_string(settings_.record_volume / 100.0) + " ! level name=" + kLevelElement +
      " interval=100000000 post-messages=true ! valve name=mute ! audioconvert ! audioresample"
      " ! opusenc bitrate=" +
      std::to_string(kAudioKbps * 1000) +
      " ! rtpopuspay pt=111"
      " ! capsfilter "
      "caps=\"application/"
      "x-rtp,media=audio,encoding-name=OPUS,payload=111,clock-rate=48000,encoding-params=(string)"
      "2\"";
  if (!AddSendBranch(link_, audio, error)) return false;
  record_volume_ = gst_bin_get_by_name(GST_BIN(link_.pipeline()), "record");
  mute_ = gst_bin_get_by_name(GST_BIN(link_.pipeline()), "mute");
  // The bin's lookups give references; the pipeline keeps the elements alive anyway.
  gst_object_unref(record_volume_);
  gst_object_unref(mute_);
  if (!settings_.video) return true;
  std::string video =
      "appsrc name=frames is-live=true format=time do-timestamp=true max-buffers=2"
      " leaky-type=downstream caps=" +
      VideoCaps(settings_.width, settings_.height) +
      " ! videoconvert ! videoscale add-borders=true ! video/x-raw,format=I420,width=" +
      std::to_string(settings_.width) + ",height=" + std::to_string(settings_.height) +
      " ! vp8enc deadline=1 cpu-used=8 lag-in-frames=0 end-usage=cbr target-bitrate=" +
      std::to_string(kVideoKbps * 1000) +
      " keyframe-max-dist=30 threads=1"
      " ! rtpvp8pay pt=96 picture-id-mode=15-bit"
      " ! capsfilter caps=\"application/x-rtp,media=video,encoding-name=VP8,payload=96\"";
  if (!AddSendBranch(link_, video, error)) return false;
  video_source_ = gst_bin_get_by_name(GST_BIN(link_.pipeline()), "frames");
  gst_object_unref(video_source_);
  input_width_ = settings_.width;
  input_height_ = settings_.height;
  return true;
}

void PublisherLink::PushFrame(const VideoFrame& frame) {
  if (video_source_ == nullptr || frame.width <= 0 || frame.height <= 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (frame.width != input_width_ || frame.height != input_height_) {
      input_width_ = frame.width;
      input_height_ = frame.height;
      GstCapsPtr caps(gst_caps_from_string(VideoCaps(frame.width, frame.height).c_str()));
      gst_app_src_set_caps(GST_APP_SRC(video_source_), caps.get());
    }
  }
  const gsize size = frame.pixels.size() * sizeof(uint32_t);
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
  gst_buffer_fill(buffer, 0, frame.pixels.data(), size);
  gst_app_src_push_buffer(GST_APP_SRC(video_source_), buffer);  // takes the buffer
}

void PublisherLink::SetAudioSending(bool sending) {
  g_object_set(mute_, "drop", sending ? FALSE : TRUE, nullptr);
}

void PublisherLink::SetRecordVolume(int percent) {
  g_object_set(record_volume_, "volume", percent / 100.0, nullptr);
}

}  // namespace rtc
