// The signal bars on the tile's pixels: four bars cut out by the region, one colour by level.
#include "tests/classroom/tile_fixture.h"

using tile_test::TileTest;

namespace {

bool InBars(int x, int y) {
  constexpr RECT kBars[] = {{0, 12, 3, 18}, {5, 8, 8, 18}, {10, 4, 13, 18}, {15, 0, 18, 18}};
  for (const RECT& bar : kBars) {
    if (x >= bar.left && x < bar.right && y >= bar.top && y < bar.bottom) return true;
  }
  return false;
}

struct LevelColour {
  unsigned level;
  std::uint32_t rgb;
};

constexpr LevelColour kLevels[] = {{1, 0x71BD5F}, {2, 0xFF9100}, {3, 0xFF9100},
                                   {4, 0xD81E06}, {5, 0xD81E06}, {0, 0x888888},
                                   {6, 0x888888}, {7, 0x888888}, {4000000000u, 0x888888}};

class SignalBarsTest : public TileTest {
 protected:
  void ShowBars(unsigned level) {
    tile_.present = true;
    tile_.UpdateIndicators(true);
    tile_.network_indicator()->SetQuality(level);
    ui::CUiDriver::Pump();
  }
  // Pixels of the tile under the bars' 18 x 18 window that do not show what they should:
  // the level's colour inside a bar, the tile's black in the gaps.
  int WrongPixels(std::uint32_t rgb) const {
    const RECT under{20, 15, 20 + NetworkIndicator::kWidth, 15 + NetworkIndicator::kHeight};
    return CountPixels(under, [rgb](int x, int y, std::uint32_t pixel) {
      return pixel != (InBars(x - 20, y - 15) ? rgb : 0u);
    });
  }
};

}  // namespace

TEST_P(SignalBarsTest, EachLevelColoursExactlyTheFourBars) {
  for (const LevelColour& entry : kLevels) {
    ShowBars(entry.level);
    EXPECT_EQ(WrongPixels(entry.rgb), 0) << "level " << entry.level;
  }
}

TEST_P(SignalBarsTest, TheBarsStartGrey) {
  tile_.present = true;
  tile_.UpdateIndicators(true);
  ui::CUiDriver::Pump();
  EXPECT_EQ(WrongPixels(0x888888), 0);
}

TEST_P(SignalBarsTest, TheRegionTakesTheMouseOnlyOnTheBars) {
  ShowBars(1);
  // On a bar the bars take the click and keep it; in the gap beside it the tile is clicked.
  const POINT bar = OnScreen(Bars(), 16, 2);
  win::headless::Click(win::headless::Button::Left, bar.x, bar.y);
  EXPECT_TRUE(Received(UM_TILE_CLICKED).empty());
  const POINT gap = OnScreen(Bars(), 4, 2);
  win::headless::Click(win::headless::Button::Left, gap.x, gap.y);
  ExpectOneTileClickAt(tile_test::kTileX + 24, tile_test::kTileY + 17);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SignalBarsTest, ::testing::ValuesIn(tile_test::kArchives),
                         tile_test::LanguageOf);
