// Owners for the media library's reference-counted objects, and its one-time start.
#pragma once

#include <gst/gst.h>

#include <memory>

namespace rtc {

struct GstObjectUnref {
  void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstCapsUnref {
  void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct GstStructureFree {
  void operator()(GstStructure* structure) const { gst_structure_free(structure); }
};
struct GstMessageUnref {
  void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct GFreeText {
  void operator()(gchar* text) const { g_free(text); }
};
struct GstPromiseUnref {
  void operator()(GstPromise* promise) const { gst_promise_unref(promise); }
};

using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstPadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using GstPromisePtr = std::unique_ptr<GstPromise, GstPromiseUnref>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;
using GstStructurePtr = std::unique_ptr<GstStructure, GstStructureFree>;
using GTextPtr = std::unique_ptr<gchar, GFreeText>;

// Safe to call from any thread, any number of times.
void EnsureGstStarted();

}  // namespace rtc
