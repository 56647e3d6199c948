// The offline badge covers part of the tile: the tile still gets its clicks and mouse moves.
#include "tests/classroom/tile_fixture.h"

using tile_test::TileTest;

namespace {

class BadgeTest : public TileTest {
 protected:
  void SetUp() override {
    TileTest::SetUp();
    tile_.UpdateIndicators(false);
  }
};

}  // namespace

TEST_P(BadgeTest, TheBadgeIsBuiltWithItsPictureLayer) {
  ASSERT_NE(tile_.online_indicator()->main_layer(), nullptr);
  EXPECT_TRUE(tile_.online_indicator()->main_layer()->IsVisible());
}

TEST_P(BadgeTest, AClickOnTheBadgeReachesTheTileAtTheSameScreenPoint) {
  // The badge's first place, before any move or resize of the tile centres it.
  MoveWindow(Badge(), 20, 15, OnlineStatusIndicator::kSize, OnlineStatusIndicator::kSize, TRUE);
  const POINT corner = OnScreen(Badge(), 0, 0);
  win::headless::Click(win::headless::Button::Left, corner.x, corner.y);
  ExpectOneTileClickAt(tile_test::kTileX + 20, tile_test::kTileY + 15);
}

TEST_P(BadgeTest, AReleaseLeftOfTheBadgeKeepsItsNegativeOffset) {
  const RECT badge = PlaceInParent(Badge());
  SendMessageW(Badge(), WM_LBUTTONUP, 0, MAKELPARAM(-badge.left - 3, -badge.top - 4));
  ExpectOneTileClickAt(tile_test::kTileX - 3, tile_test::kTileY - 4);
}

TEST_P(BadgeTest, MouseMovesOverTheBadgeReachTheMeetingView) {
  const POINT inside = OnScreen(Badge(), 64, 64);
  win::headless::MoveCursor(inside.x, inside.y);
  EXPECT_FALSE(Received(WM_MOUSEMOVE).empty());
}

TEST_P(BadgeTest, EveryPointOfTheBadgeIsClientArea) {
  for (const POINT client : {POINT{0, 0}, POINT{64, 64}, POINT{127, 127}, POINT{127, 0}}) {
    const POINT screen = OnScreen(Badge(), client.x, client.y);
    EXPECT_EQ(SendMessageW(Badge(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)), HTCLIENT);
  }
}

INSTANTIATE_TEST_SUITE_P(BothSkins, BadgeTest, ::testing::ValuesIn(tile_test::kArchives),
                         tile_test::LanguageOf);
