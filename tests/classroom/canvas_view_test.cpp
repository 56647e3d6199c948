// The tile as the meeting view sees it: clicks and mouse moves handed on, black where no
// video is, and its two indicators placed and shown by presence and the badge flag.
#include "tests/classroom/tile_fixture.h"

using tile_test::TileTest;

namespace {

constexpr WPARAM kShiftHeld = 0x0004;

}  // namespace

TEST_P(TileTest, TheFirstSizeOfAFreshTilePlacesItsIndicatorsByTheBadgeFlag) {
  // The flag starts set: the bars show and the badge, centred, waits for UpdateIndicators.
  EXPECT_TRUE(tile_.hide_offline_badge());
  EXPECT_TRUE(IsWindowVisible(Bars()));
  EXPECT_FALSE(IsWindowVisible(Badge()));
  const RECT badge = PlaceInParent(Badge());
  EXPECT_EQ(badge.left, (tile_test::kTileWidth - 128) / 2);
  EXPECT_EQ(badge.top, (tile_test::kTileHeight - 128) / 2);
}

TEST_P(TileTest, AClickPostsTileClickedWithThePointInTheMeetingViewsCoordinates) {
  const POINT screen = OnScreen(Tile(), 10, 10);
  win::headless::Click(win::headless::Button::Left, screen.x, screen.y);
  ExpectOneTileClickAt(tile_test::kTileX + 10, tile_test::kTileY + 10);
}

TEST_P(TileTest, AClickKeepsTheButtonStateAndNegativeCoordinates) {
  // A release outside the tile while it holds the capture: left of and above the view.
  SendMessageW(Tile(), WM_LBUTTONUP, kShiftHeld,
               MAKELPARAM(-tile_test::kTileX - 5, -tile_test::kTileY - 7));
  const auto clicks = Received(UM_TILE_CLICKED);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].wParam, kShiftHeld);
  EXPECT_EQ(GET_X_LPARAM(clicks[0].lParam), -5);
  EXPECT_EQ(GET_Y_LPARAM(clicks[0].lParam), -7);
}

TEST_P(TileTest, APressAloneIsNoClick) {
  const POINT screen = OnScreen(Tile(), 10, 10);
  win::headless::MoveCursor(screen.x, screen.y);
  win::headless::PressButton(win::headless::Button::Left);
  EXPECT_TRUE(Received(UM_TILE_CLICKED).empty());
  win::headless::ReleaseButton(win::headless::Button::Left);
  EXPECT_EQ(Received(UM_TILE_CLICKED).size(), 1u);
}

TEST_P(TileTest, MouseMovesReachTheMeetingViewUnchanged) {
  const POINT screen = OnScreen(Tile(), 12, 9);
  win::headless::MoveCursor(screen.x, screen.y);
  const auto moves = Received(WM_MOUSEMOVE);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().lParam, MAKELPARAM(12, 9));
}

TEST_P(TileTest, ASizeMessagePaintsTheTileBlack) {
  PaintWhite();
  ASSERT_EQ(Rgb(Tile(), 5, 170), 0xFFFFFFu);
  SendMessageW(Tile(), WM_SIZE, 0, MAKELPARAM(tile_test::kTileWidth, tile_test::kTileHeight));
  EXPECT_EQ(Rgb(Tile(), 5, 170), 0u);
  EXPECT_EQ(Rgb(Tile(), tile_test::kTileWidth - 1, 0), 0u);
}

TEST_P(TileTest, AnAbsentTileIsBlackWithTheBadgeAndNoBars) {
  PaintWhite();
  tile_.present = false;
  tile_.UpdateIndicators(false);
  EXPECT_EQ(Rgb(Tile(), 5, 170), 0u);
  EXPECT_TRUE(IsWindowVisible(Badge()));
  EXPECT_FALSE(IsWindowVisible(Bars()));
}

TEST_P(TileTest, APresentTileKeepsItsVideoAndShowsTheBarsAlone) {
  PaintWhite();
  tile_.present = true;
  tile_.UpdateIndicators(true);
  EXPECT_EQ(Rgb(Tile(), 5, 170), 0xFFFFFFu);
  EXPECT_FALSE(IsWindowVisible(Badge()));
  ASSERT_TRUE(IsWindowVisible(Bars()));
  const RECT bars = PlaceInParent(Bars());
  EXPECT_EQ(bars.left, 20);
  EXPECT_EQ(bars.top, 15);
  EXPECT_EQ(bars.right - bars.left, 18);
  EXPECT_EQ(bars.bottom - bars.top, 18);
}

TEST_P(TileTest, AnAbsentTileWithTheBadgeHiddenShowsTheBarsOnlyAfterItsNextMove) {
  tile_.present = false;
  tile_.UpdateIndicators(true);
  EXPECT_FALSE(IsWindowVisible(Badge()));
  EXPECT_FALSE(IsWindowVisible(Bars()));
  MoveWindow(Tile(), 0, 0, tile_test::kTileWidth, tile_test::kTileHeight, TRUE);
  EXPECT_FALSE(IsWindowVisible(Badge()));
  EXPECT_TRUE(IsWindowVisible(Bars()));
}

TEST_P(TileTest, AResizeCentresTheBadge) {
  tile_.UpdateIndicators(false);
  MoveWindow(Tile(), 0, 0, 640, 360, TRUE);
  MoveWindow(Tile(), 0, 0, 240, 180, TRUE);
  const RECT badge = PlaceInParent(Badge());
  EXPECT_EQ(badge.left, 56);
  EXPECT_EQ(badge.top, 26);
  EXPECT_EQ(badge.right - badge.left, 128);
  EXPECT_EQ(badge.bottom - badge.top, 128);
  EXPECT_TRUE(IsWindowVisible(Badge()));
  EXPECT_FALSE(IsWindowVisible(Bars()));
}

TEST_P(TileTest, ABadgeLargerThanItsTileIsCentredAtNegativeOffsets) {
  tile_.UpdateIndicators(false);
  MoveWindow(Tile(), 0, 0, 101, 60, TRUE);
  const RECT badge = PlaceInParent(Badge());
  // (101 - 128) / 2 and (60 - 128) / 2, truncated toward zero.
  EXPECT_EQ(badge.left, -13);
  EXPECT_EQ(badge.top, -34);
}

TEST_P(TileTest, ATileDestroyedBeforeItsObjectLeavesTheObjectInert) {
  DestroyWindow(Tile());
  EXPECT_EQ(tile_.GetHWND(), nullptr);
  EXPECT_EQ(tile_.network_indicator()->GetHWND(), nullptr);
  EXPECT_EQ(tile_.online_indicator()->GetHWND(), nullptr);
}

TEST(TileLifetime, DestroyingTheObjectDestroysItsWindowAndIndicators) {
  ui_test::UseSkin(L"orbs.en");
  auto tile = std::make_unique<CanvasView>();
  ASSERT_NE(tile->Create(nullptr, L"t", WS_POPUP | WS_VISIBLE, 0, 0, 0, 240, 180), nullptr);
  const HWND windows[] = {tile->GetHWND(), tile->network_indicator()->GetHWND(),
                          tile->online_indicator()->GetHWND()};
  tile.reset();
  for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, TileTest, ::testing::ValuesIn(tile_test::kArchives),
                         tile_test::LanguageOf);
