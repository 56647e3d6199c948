#include <gst/gst.h>

#include <chrono>

#include "appsink_frames.h"
#include "camera_caps.h"
#include "capture_source.h"
#include "net/frame_mailbox.h"
#include "net/gst_handles.h"
#include "video_pipeline.h"

namespace rtc {
namespace {

// A camera that gave no picture for this long has stopped, as when it is pulled out without
// the driver saying so.
constexpr auto kStalledAfter = std::chrono::seconds(5);

// The pipeline's error or end, if one came; empty otherwise. Never waits.
std::string BusFailure(GstElement* pipeline) {
  GstBusPtr bus(gst_element_get_bus(pipeline));
  GstMessagePtr message(gst_bus_pop_filtered(
      bus.get(), static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS)));
  if (!message) return {};
  if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) return "the camera's stream ended";
  GError* error = nullptr;
  gst_message_parse_error(message.get(), &error, nullptr);
  std::string text = error ? error->message : "unknown error";
  if (error) g_error_free(error);
  return text;
}

class GstCaptureSource final : public VideoSource {
 public:
  GstCaptureSource(CaptureKind kind, CameraFailed failed)
      : kind_(kind), failed_(std::move(failed)) {}
  ~GstCaptureSource() override {
    if (pipeline_) gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  }

  bool Open(const std::string& capture, int width, int height, int rate, std::string& error) {
    EnsureGstStarted();
    pipeline_.reset(gst_pipeline_new("camera"));
    GstElement* source = Parse(capture, error);
    if (source == nullptr) return false;
    gst_bin_add(GST_BIN(pipeline_.get()), source);
    // The device opens on the way to READY; its modes can be asked for from then on.
    if (gst_element_set_state(pipeline_.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
      return Fail(error, "cannot be opened");
    }
    GstPadPtr pad(gst_element_get_static_pad(source, "src"));
    GstCapsPtr offered(pad ? gst_pad_query_caps(pad.get(), nullptr) : nullptr);
    std::optional<CameraMode> mode =
        ChooseCameraMode(ModesOfCaps(offered.get(), width, height, rate), width, height, rate);
    if (!mode) {
      GTextPtr text(offered ? gst_caps_to_string(offered.get()) : nullptr);
      return Fail(error, std::string("offers no mode that can be decoded: ") +
                             (text ? text.get() : "nothing"));
    }
    // The mode is known here, and so its decoder: nothing to find out from the stream.
    const char* decoder = mode->media == "image/jpeg" ? "jpegdec ! " : "";
    GstElement* decode = Parse("capsfilter caps=\"" + CapsOfMode(*mode) + "\" ! " + decoder +
                                   "videoconvert ! video/x-raw,format=BGRx"
                                   " ! appsink name=frames max-buffers=1 drop=true sync=false",
                               error);
    if (decode == nullptr) return false;
    gst_bin_add(GST_BIN(pipeline_.get()), decode);
    if (!gst_element_link(source, decode)) return Fail(error, "cannot be linked to its decoder");
    GstElementPtr sink(gst_bin_get_by_name(GST_BIN(decode), "frames"));
    SendFramesTo(sink.get(), mailbox_);
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
      return Fail(error, "cannot be started");
    }
    last_frame_at_ = std::chrono::steady_clock::now();
    return true;
  }

  bool IsCamera() const override { return kind_ == CaptureKind::kCamera; }

  bool Capture(int64_t, VideoFrame& frame) override {
    if (stopped_) return false;
    auto now = std::chrono::steady_clock::now();
    if (mailbox_.Take(frame)) {
      last_frame_at_ = now;
      return true;
    }
    std::string failure = BusFailure(pipeline_.get());
    if (failure.empty() && now - last_frame_at_ > kStalledAfter) {
      failure = "no picture for " + std::to_string(kStalledAfter.count()) + " s";
    }
    if (!failure.empty()) {
      stopped_ = true;
      if (failed_) failed_(failure);
    }
    return false;
  }

 private:
  GstElement* Parse(const std::string& description, std::string& error) {
    GError* failure = nullptr;
    GstElement* bin = gst_parse_bin_from_description(description.c_str(), TRUE, &failure);
    if (failure != nullptr) {
      error = failure->message;
      g_error_free(failure);
      if (bin != nullptr) gst_object_unref(bin);
      return nullptr;
    }
    return bin;
  }

  // The reason from the pipeline's own error where it gave one.
  bool Fail(std::string& error, const std::string& what) {
    std::string reason = BusFailure(pipeline_.get());
    error = reason.empty() ? what : what + ": " + reason;
    return false;
  }

  FrameMailbox mailbox_;  // outlives the pipeline, which fills it
  GstElementPtr pipeline_;
  std::chrono::steady_clock::time_point last_frame_at_;
  CaptureKind kind_;
  CameraFailed failed_;
  bool stopped_ = false;
};

}  // namespace

std::string V4l2Capture(const std::string& node) { return "v4l2src device=\"" + node + "\""; }

std::unique_ptr<VideoSource> OpenCapture(const std::string& capture, int width, int height,
                                         int rate, CaptureKind kind, CameraFailed failed,
                                         std::string& error) {
  auto source = std::make_unique<GstCaptureSource>(kind, std::move(failed));
  if (!source->Open(capture, width, height, rate, error)) return nullptr;
  return source;
}

std::unique_ptr<VideoSource> OpenCamera(const std::string& capture, int width, int height,
                                        CameraFailed failed, std::string& error) {
  return OpenCapture(capture, width, height, VideoPipeline::kFramesPerSecond,
                     CaptureKind::kCamera, std::move(failed), error);
}

}  // namespace rtc
