// A camera's offered caps as the list of modes to choose from.
#pragma once

#include <gst/gst.h>

#include <vector>

#include "camera_mode.h"

namespace rtc {

// Every combination of format, size and rate the caps allow. Where a size or a rate is a range
// (as a test source or a scaling driver offers), the wanted one, held inside the range, stands
// for it.
std::vector<CameraMode> ModesOfCaps(const GstCaps* caps, int width, int height, int rate);

}  // namespace rtc
