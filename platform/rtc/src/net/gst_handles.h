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
struct GstPromiseUnref {
  void operator()(GstPromise* promise) const { gst_promise_unref(promise); }
};

using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstPadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using GstPromisePtr = std::unique_ptr<GstPromise, GstPromiseUnref>;

// Safe to call from any thread, any number of times.
void EnsureGstStarted();

}  // namespace rtc
