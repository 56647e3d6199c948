// Decoded pictures from an appsink (BGRx caps) into a mailbox the video thread takes from.
#pragma once

#include <gst/gst.h>

#include "net/frame_mailbox.h"

namespace rtc {

// The mailbox must outlive the appsink's streaming.
void SendFramesTo(GstElement* appsink, FrameMailbox& mailbox);

}  // namespace rtc
