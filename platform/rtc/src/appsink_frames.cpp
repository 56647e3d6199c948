#include "appsink_frames.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

namespace rtc {
namespace {

GstFlowReturn OnSample(GstAppSink* sink, gpointer mailbox_pointer) {
  auto& mailbox = *static_cast<FrameMailbox*>(mailbox_pointer);
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (sample == nullptr) return GST_FLOW_EOS;
  GstVideoInfo info;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
      gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    mailbox.Put(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info), map.data,
                GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
    gst_buffer_unmap(buffer, &map);
  }
  gst_sample_unref(sample);
  return GST_FLOW_OK;
}

}  // namespace

void SendFramesTo(GstElement* appsink, FrameMailbox& mailbox) {
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = &OnSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(appsink), &callbacks, &mailbox, nullptr);
}

}  // namespace rtc
