// The capture time in the test pattern's pixels: read back from a small, blurred picture of the
// frame, kept out of the rest of the pattern, and its age across the wrap-around.
#include "time_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "engine_config.h"
#include "test_pattern.h"

namespace {

rtc::VideoFrame Pattern(std::optional<uint32_t> code) {
  rtc::VideoFrame frame;
  frame.Resize(640, 480);
  rtc::DrawTestPattern(2002, 7, frame);
  if (code) rtc::DrawTimeCode(*code, frame);
  return frame;
}

TEST(TimeCode, IsReadFromATileSizedBlurredPictureOfTheFrame) {
  for (uint32_t code : {0u, rtc::kTimeCodeMask, 0xA5A5A5u, 0x5A5A5Au, 0x123456u}) {
    constexpr int kWidth = 160;
    constexpr int kHeight = 120;
    std::vector<uint32_t> tile(kWidth * kHeight);
    rtc::DrawFrame(Pattern(code), rtc::RENDER_MODE_FIT, false,
                   {tile.data(), kWidth, kHeight, kWidth});
    // Each channel averaged over the 3 x 3 pixels around.
    auto blurred = [&](int x, int y) {
      uint32_t sums[3] = {};
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const uint32_t pixel =
              tile[std::clamp(y + dy, 0, kHeight - 1) * kWidth + std::clamp(x + dx, 0, kWidth - 1)];
          for (int c = 0; c < 3; ++c) sums[c] += (pixel >> (8 * c)) & 0xFFu;
        }
      }
      return 0xFF000000u | (sums[2] / 9) << 16 | (sums[1] / 9) << 8 | sums[0] / 9;
    };
    EXPECT_EQ(rtc::ReadTimeCode(blurred, kWidth, kHeight), code);
  }
}

TEST(TimeCode, LeavesThePatternBelowItsBandAsItWas) {
  const rtc::VideoFrame plain = Pattern(std::nullopt);
  const rtc::VideoFrame coded = Pattern(0x123456u);
  const std::ptrdiff_t band = 640 * (480 / rtc::kTimeCodeBandShare);
  const auto plain_rest = plain.pixels.begin() + band;
  const auto coded_rest = coded.pixels.begin() + band;
  EXPECT_FALSE(std::equal(plain.pixels.begin(), plain_rest, coded.pixels.begin()));
  EXPECT_TRUE(std::equal(plain_rest, plain.pixels.end(), coded_rest));
}

TEST(TimeCode, AGreyBlockIsNotRead) {
  EXPECT_EQ(rtc::ReadTimeCode([](int, int) { return 0xFF808080u; }, 640, 480), std::nullopt);
}

TEST(TimeCode, AgesFollowTheClockAcrossTheWrapAround) {
  EXPECT_EQ(rtc::TimeCodeAge(rtc::kTimeCodeMask - 9, 5), 15);
  const uint32_t before = rtc::TimeCodeNow();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const int64_t age = rtc::TimeCodeAge(before, rtc::TimeCodeNow());
  EXPECT_GE(age, 20);
  EXPECT_LT(age, 5000);
}

TEST(TimeCode, IsOffUnlessTheEngineConfigurationAsks) {
  EXPECT_FALSE(rtc::ParseEngineConfig("{}").config.pattern_time_code);
  EXPECT_TRUE(rtc::ParseEngineConfig(R"({"pattern_time_code": true})").config.pattern_time_code);
}

}  // namespace
