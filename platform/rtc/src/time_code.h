// A frame's capture time carried in its own pixels, so that the time from one process's camera
// to another's screen on the same machine can be read off the screen: milliseconds of
// CLOCK_MONOTONIC, which every process of the machine shares, modulo 2^24 (about four and a
// half hours), as a band of 24 blocks along the top of the frame, white for 1 and black for 0,
// the most significant bit on the left. The blocks are large enough to come through VP8 and
// the scaling into a tile; a reader looks only at each block's centre.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "video_frame.h"

namespace rtc {

constexpr int kTimeCodeBits = 24;
constexpr uint32_t kTimeCodeMask = (1u << kTimeCodeBits) - 1;
// The band's share of the frame's height: it stays in the top sixteenth, above everything
// else of the pattern that anyone reads.
constexpr int kTimeCodeBandShare = 16;

// The code of this moment.
uint32_t TimeCodeNow();
// Covers the top of frame with the band of code (only its low 24 bits count).
void DrawTimeCode(uint32_t code, VideoFrame& frame);

// One pixel (0xAARRGGBB) of a picture of a frame, at x, y of that picture.
using PixelReader = std::function<uint32_t(int x, int y)>;
// The code in a picture of a whole frame, width x height however scaled; nullopt when a
// block's centre is neither clearly light nor clearly dark.
std::optional<uint32_t> ReadTimeCode(const PixelReader& pixel, int width, int height);
// Milliseconds from the moment of code to that of now, across the wrap-around.
int64_t TimeCodeAge(uint32_t code, uint32_t now);

}  // namespace rtc
