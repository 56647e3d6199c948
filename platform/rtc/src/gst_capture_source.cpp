#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <optional>

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
  // part: null for a camera, whose frames keep the mode's size.
  GstCaptureSource(PicturePart part, CameraFailed failed)
      : part_(std::move(part)), failed_(std::move(failed)) {}
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
    // The crop may change from frame to frame; the scaler after it keeps the frames' size.
    std::string fit = part_ ? " ! videocrop name=part ! videoscale add-borders=true"
                              " ! video/x-raw,width=" +
                                  std::to_string(width) + ",height=" + std::to_string(height) +
                                  ",pixel-aspect-ratio=1/1"
                            : "";
    GstElement* decode = Parse("capsfilter caps=\"" + CapsOfMode(*mode) + "\" ! " + decoder +
                                   "videoconvert ! video/x-raw,format=BGRx" + fit +
                                   " ! appsink name=frames max-buffers=1 drop=true sync=false",
                               error);
    if (decode == nullptr) return false;
    gst_bin_add(GST_BIN(pipeline_.get()), decode);
    if (!gst_element_link(source, decode)) return Fail(error, "cannot be linked to its decoder");
    GstElementPtr sink(gst_bin_get_by_name(GST_BIN(decode), "frames"));
    SendFramesTo(sink.get(), mailbox_);
    if (part_) {
      crop_.reset(gst_bin_get_by_name(GST_BIN(decode), "part"));
      picture_width_ = mode->width;
      picture_height_ = mode->height;
      FollowPart();  // the first frame shows the part already
    }
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
      return Fail(error, "cannot be started");
    }
    last_frame_at_ = std::chrono::steady_clock::now();
    return true;
  }

  bool IsCamera() const override { return !part_; }

  bool Capture(int64_t, VideoFrame& frame) override {
    if (stopped_) return false;
    if (part_) FollowPart();
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

  // The crop's margins for the part, held inside the picture; set only when they change, as
  // a change makes the crop negotiate its output again.
  void FollowPart() {
    Rect part = part_();
    int left = std::clamp(part.left, 0, picture_width_ - 1);
    int top = std::clamp(part.top, 0, picture_height_ - 1);
    Margins margins{left, top, picture_width_ - std::clamp(part.right, left + 1, picture_width_),
                    picture_height_ - std::clamp(part.bottom, top + 1, picture_height_)};
    if (margins == margins_) return;
    margins_ = margins;
    g_object_set(crop_.get(), "left", margins.left, "top", margins.top, "right", margins.right,
                 "bottom", margins.bottom, nullptr);
  }

  // The reason from the pipeline's own error where it gave one.
  bool Fail(std::string& error, const std::string& what) {
    std::string reason = BusFailure(pipeline_.get());
    error = reason.empty() ? what : what + ": " + reason;
    return false;
  }

  struct Margins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Margins& o) const {
      return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
  };

  FrameMailbox mailbox_;  // outlives the pipeline, which fills it
  GstElementPtr pipeline_;
  std::chrono::steady_clock::time_point last_frame_at_;
  PicturePart part_;
  GstElementPtr crop_;
  int picture_width_ = 0;
  int picture_height_ = 0;
  std::optional<Margins> margins_;
  CameraFailed failed_;
  bool stopped_ = false;
};

}  // namespace

std::string V4l2Capture(const std::string& node) { return "v4l2src device=\"" + node + "\""; }

std::unique_ptr<VideoSource> OpenCamera(const std::string& capture, int width, int height,
                                        CameraFailed failed, std::string& error) {
  auto source = std::make_unique<GstCaptureSource>(nullptr, std::move(failed));
  if (!source->Open(capture, width, height, VideoPipeline::kFramesPerSecond, error)) return nullptr;
  return source;
}

std::unique_ptr<VideoSource> OpenPartCapture(const std::string& capture, int width, int height,
                                             int rate, PicturePart part, std::string& error) {
  auto source = std::make_unique<GstCaptureSource>(std::move(part), nullptr);
  if (!source->Open(capture, width, height, rate, error)) return nullptr;
  return source;
}

}  // namespace rtc
