// A tile with both indicators as a person sees it, in each skin, saved to screenshots/.
#include <sys/stat.h>

#include <string>

#include "tests/classroom/tile_fixture.h"

using tile_test::TileTest;

namespace {

class TileScreenshotTest : public TileTest {};

// Whether each channel of pixel lies within 40 of rgb's.
bool Near(std::uint32_t pixel, std::uint32_t rgb) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int difference =
        static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF);
    if (difference <= -40 || difference >= 40) return false;
  }
  return true;
}

}  // namespace

TEST_P(TileScreenshotTest, BothIndicatorsAreDrawnOverTheBlackTile) {
  tile_.present = true;
  tile_.UpdateIndicators(false);
  tile_.network_indicator()->SetQuality(1);
  ui::CUiDriver::Pump();  // the indicators paint in their own windows
  mkdir(QUORVEL_SCREENSHOT_DIR, 0755);
  const std::string path = std::string(QUORVEL_SCREENSHOT_DIR) + "/tile_" +
                           (std::wstring(GetParam()) == L"orbs.cn" ? "cn" : "en") + ".png";
  ASSERT_TRUE(ui::CUiDriver::SaveScreenshot(Tile(), path));
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);

  EXPECT_EQ(Rgb(Tile(), 35, 20), 0x71BD5Fu);  // the tallest bar
  // The badge: its red stroke and its light word, inside its 128 x 128 place.
  const RECT badge = PlaceInParent(Badge());
  const auto near = [](std::uint32_t rgb) {
    return [rgb](int, int, std::uint32_t pixel) { return Near(pixel, rgb); };
  };
  EXPECT_GT(CountPixels(badge, near(0xE5393B)), 100);
  const RECT word{badge.left + 8, badge.top + 94, badge.right - 8, badge.bottom - 4};
  EXPECT_GT(CountPixels(word, near(0xD8DCE3)), 20);
  // Around the badge the tile stays black.
  EXPECT_EQ(Rgb(Tile(), 5, tile_test::kTileHeight - 5), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, TileScreenshotTest, ::testing::ValuesIn(tile_test::kArchives),
                         tile_test::LanguageOf);
