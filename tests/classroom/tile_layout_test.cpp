// The two tile layouts as pure functions: the sizes the meeting view is told to give its tiles,
// their visibility and their indicators, for every mix of presence and known video sizes.
#include "classroom/tile_layout.h"

#include <gtest/gtest.h>

namespace {

constexpr ViewSize kView{1280, 720};

VideoTile Present(int width, int height) { return {true, width, height}; }
VideoTile PresentUnsized() { return {true, 0, 0}; }
VideoTile Absent() { return {}; }

void ExpectPlaced(const TilePlacement& placement, TileRect expected, TileVisibility visibility,
                  bool indicators) {
  EXPECT_EQ(placement.visibility, visibility);
  ASSERT_TRUE(placement.rect.has_value());
  EXPECT_EQ(placement.rect->x, expected.x);
  EXPECT_EQ(placement.rect->y, expected.y);
  EXPECT_EQ(placement.rect->width, expected.width);
  EXPECT_EQ(placement.rect->height, expected.height);
  ASSERT_TRUE(placement.indicators.has_value());
  EXPECT_EQ(*placement.indicators, indicators);
}

void ExpectShown(const TilePlacement& placement, TileRect expected, bool indicators = true) {
  ExpectPlaced(placement, expected, TileVisibility::Shown, indicators);
}

void ExpectHiddenUntouched(const TilePlacement& placement) {
  EXPECT_EQ(placement.visibility, TileVisibility::Hidden);
  EXPECT_FALSE(placement.rect.has_value());
  EXPECT_FALSE(placement.indicators.has_value());
}

void ExpectUntouched(const TilePlacement& placement) {
  EXPECT_EQ(placement.visibility, TileVisibility::Unchanged);
  EXPECT_FALSE(placement.rect.has_value());
  EXPECT_FALSE(placement.indicators.has_value());
}

PictureInPicture Pip(const VideoTile& main, const VideoTile& upper, const VideoTile& lower,
                     ViewSize view = kView, AlarmBarState alarm = AlarmBarState::Hidden) {
  return LayoutPictureInPicture(view, main, upper, lower, alarm);
}

}  // namespace

// Picture-in-picture.

TEST(PictureInPicture, AllThreeGiveTheMainFittedAndTwoSmallTilesStacked) {
  const auto layout = Pip(Present(640, 480), Present(640, 360), Present(320, 240));
  ExpectShown(layout.main, {160, 0, 960, 720});
  ExpectShown(layout.upper, {1040, 0, 240, 135});
  ExpectShown(layout.lower, {1040, 135, 240, 180});
}

TEST(PictureInPicture, AWideMainVideoKeepsTheFullWidthAndIsCentredVertically) {
  const auto layout = Pip(Present(1920, 800), Absent(), Absent());
  // 800 * 1280 / 1920 = 533.33, truncated.
  ExpectShown(layout.main, {0, (720 - 533) / 2, 1280, 533});
}

TEST(PictureInPicture, IntegerDivisionsTruncateEachStepAndOddSizesCentreDown) {
  const auto layout = Pip(Present(700, 500), Present(333, 250), Absent(), ViewSize{1001, 601});
  // height 500 * 1001 / 700 = 715 > 601, so width 700 * 601 / 500 = 841 (841.4).
  ExpectShown(layout.main, {(1001 - 841) / 2, 0, 841, 601});
  // 250 * 240 / 333 = 180.18.
  ExpectShown(layout.upper, {761, 0, 240, 180});
}

TEST(PictureInPicture, AMainWhoseSizeIsUnknownFillsTheWholeView) {
  ExpectShown(Pip(PresentUnsized(), Absent(), Absent()).main, {0, 0, 1280, 720});
  ExpectShown(Pip(Present(640, 0), Absent(), Absent()).main, {0, 0, 1280, 720});
  ExpectShown(Pip(Present(0, 480), Absent(), Absent()).main, {0, 0, 1280, 720});
}

TEST(PictureInPicture, SmallTilesWithoutAKnownSizeAre180High) {
  const auto layout = Pip(Present(640, 480), PresentUnsized(), PresentUnsized());
  ExpectShown(layout.upper, {1040, 0, 240, 180});
  ExpectShown(layout.lower, {1040, 180, 240, 180});
}

TEST(PictureInPicture, AnAbsentMainWithTheUpperPresentStaysHiddenAndTheUpperFillsTheView) {
  const auto layout = Pip(Absent(), Present(640, 360), Absent());
  ExpectHiddenUntouched(layout.main);
  ExpectShown(layout.upper, {0, 0, 1280, 720});
  const auto tall = Pip(Absent(), Present(480, 640), Absent());
  ExpectShown(tall.upper, {(1280 - 540) / 2, 0, 540, 720});
}

TEST(PictureInPicture, AnEmptyMainShowsItsBadgeUnlessTheAlarmBarCountsDownOverIt) {
  const auto quiet = Pip(Absent(), Absent(), Present(320, 240));
  ExpectShown(quiet.main, {0, 0, 1280, 720}, false);
  const auto alarm = Pip(Absent(), Absent(), Present(320, 240), kView, AlarmBarState::Visible);
  ExpectShown(alarm.main, {0, 0, 1280, 720}, true);
  ExpectHiddenUntouched(alarm.upper);
}

TEST(PictureInPicture, AnAbsentMainIgnoresItsLastVideoSize) {
  ExpectShown(Pip(VideoTile{false, 640, 480}, Absent(), Absent()).main, {0, 0, 1280, 720}, false);
}

TEST(PictureInPicture, BehindTwoPresentTilesAnAbsentLowerIsPlacedButHidden) {
  const auto layout = Pip(Present(640, 480), Present(640, 360), VideoTile{false, 320, 480});
  // Absent: its old size does not count, it gets the default height.
  ExpectPlaced(layout.lower, {1040, 135, 240, 180}, TileVisibility::Hidden, false);
}

TEST(PictureInPicture, WithoutTheMainAndUpperPairTheLowerSitsAtTheTopAndIsAlwaysShown) {
  const auto absent_sized = Pip(Present(640, 480), Absent(), VideoTile{false, 320, 480});
  // Its size counts even while it is absent here.
  ExpectShown(absent_sized.lower, {1040, 0, 240, 360}, false);
  ExpectHiddenUntouched(absent_sized.upper);
  const auto nobody = Pip(Absent(), Absent(), Absent());
  ExpectShown(nobody.lower, {1040, 0, 240, 180}, false);
  ExpectShown(nobody.main, {0, 0, 1280, 720}, false);
}

// Side by side.

TEST(SideBySide, NobodyPresentMovesNothing) {
  const auto layout = LayoutSideBySide(kView, Absent(), Absent(), Absent());
  ExpectUntouched(layout.counterpart);
  ExpectUntouched(layout.other_remote);
  ExpectUntouched(layout.own);
}

TEST(SideBySide, CounterpartAndOwnMeetAtTheCentreLine) {
  const auto layout = LayoutSideBySide(kView, Present(640, 480), Absent(), Present(640, 480));
  ExpectShown(layout.counterpart, {0, 120, 640, 480});
  ExpectHiddenUntouched(layout.other_remote);
  ExpectShown(layout.own, {640, 120, 640, 480});
}

TEST(SideBySide, AnOddWidthLeavesTheSpareColumnToTheRightHalf) {
  const auto layout =
      LayoutSideBySide(ViewSize{1281, 721}, Present(640, 480), Absent(), Present(1000, 333));
  // half 640; 480 / 640 * 640 = 480 at y (721 - 480) / 2 = 120.
  ExpectShown(layout.counterpart, {0, 120, 640, 480});
  // 333 / 1000 * 640 = 213.12 in double precision, truncated.
  ExpectShown(layout.own, {641, (721 - 213) / 2, 640, 213});
}

TEST(SideBySide, ATileTallerThanTheViewIsCutToItsHeightAndStaysHalfWide) {
  const auto layout = LayoutSideBySide(kView, Present(480, 640), Absent(), Present(640, 480));
  ExpectShown(layout.counterpart, {0, 0, 640, 720});
}

TEST(SideBySide, TheOtherRemoteTakesTheRightHalfBesideTheCounterpartAndHidesTheOwnTile) {
  const auto halves = LayoutSideBySide(kView, Present(640, 480), Present(640, 360), Absent());
  ExpectShown(halves.other_remote, {640, 180, 640, 360});
  ExpectShown(halves.counterpart, {0, 120, 640, 480});
  ExpectHiddenUntouched(halves.own);
}

TEST(SideBySide, WithoutTheCounterpartTheOtherRemoteMovesToTheLeftHalf) {
  const auto layout = LayoutSideBySide(kView, Absent(), Present(640, 360), Present(640, 480));
  ExpectHiddenUntouched(layout.counterpart);
  ExpectShown(layout.other_remote, {0, 180, 640, 360});
  ExpectShown(layout.own, {640, 120, 640, 480});
}

TEST(SideBySide, AloneTheOwnTileFacesAnEmptyBlackTileWithItsBadge) {
  const auto layout = LayoutSideBySide(kView, Absent(), Absent(), Present(640, 480));
  ExpectHiddenUntouched(layout.counterpart);
  ExpectShown(layout.other_remote, {0, 0, 640, 720}, false);
  ExpectShown(layout.own, {640, 120, 640, 480});
}

TEST(SideBySide, PresentTilesWithoutAKnownSizeGetNoSize) {
  const auto layout = LayoutSideBySide(kView, PresentUnsized(), Absent(), PresentUnsized());
  ExpectShown(layout.counterpart, {640, 360, 0, 0});
  ExpectShown(layout.own, {640, 360, 0, 0});
}

TEST(SideBySide, ThreeEqualVideosScaleTheColumnToTheViewsHeight) {
  const auto layout =
      LayoutSideBySide(kView, Present(640, 480), Present(640, 480), Present(640, 480));
  ExpectShown(layout.counterpart, {0, 60, 800, 600});
  ExpectShown(layout.other_remote, {800, 0, 480, 360});
  ExpectShown(layout.own, {800, 360, 480, 360});
}

TEST(SideBySide, AColumnLowerThanTheViewKeepsItsSizeAndIsCentredAsAPair) {
  const auto layout =
      LayoutSideBySide(kView, Present(640, 480), Present(640, 360), Present(1280, 360));
  // 360 * 640 / 640 = 360 and 360 * 640 / 1280 = 180: 540 below 720, top (720 - 540) / 2.
  ExpectShown(layout.other_remote, {640, 90, 640, 360});
  ExpectShown(layout.own, {640, 450, 640, 180});
  ExpectShown(layout.counterpart, {0, 120, 640, 480});
}

TEST(SideBySide, ScalingSplitsTheHeightInDoublePrecisionAndTheOwnTileTakesTheRest) {
  const auto layout = LayoutSideBySide(ViewSize{1000, 700}, Present(640, 480), Present(300, 400),
                                       Present(500, 333));
  // half 500: heights 400 * 500 / 300 = 666 and 333 * 500 / 500 = 333, sum 999.
  // upper 666 / 999 * 700 = 466.67 -> 466; width 466 / 666 * 500 = 349.85 -> 349.
  ExpectShown(layout.other_remote, {651, 0, 349, 466});
  ExpectShown(layout.own, {651, 466, 349, 234});
  // counterpart: width 1000 - 349 = 651, height 480 * 651 / 640 = 488.25 -> 488.
  ExpectShown(layout.counterpart, {0, (700 - 488) / 2, 651, 488});
}

TEST(SideBySide, ATallCounterpartIsCutToTheHeightAndCentredInItsSpace) {
  const auto layout =
      LayoutSideBySide(kView, Present(480, 640), Present(640, 480), Present(640, 480));
  // width 800 gives 1066 > 720: height 720, width 480 * 720 / 640 = 540, x (800 - 540) / 2.
  ExpectShown(layout.counterpart, {130, 0, 540, 720});
}

TEST(SideBySide, ACounterpartWithoutAKnownSizeSitsAtTheCornerWithNoHeight) {
  const auto layout =
      LayoutSideBySide(kView, PresentUnsized(), Present(640, 480), Present(640, 480));
  ExpectShown(layout.counterpart, {0, 0, 640, 0});
}

TEST(SideBySide, AnUnsizedOtherRemoteBesideATallOwnTileTakesTheOwnTilesScale) {
  const auto layout =
      LayoutSideBySide(kView, Present(640, 480), PresentUnsized(), Present(480, 1280));
  // own 1280 * 640 / 480 = 1706 alone exceeds 720: the column is 720 / 1706 * 640 = 270 wide.
  ExpectShown(layout.other_remote, {1010, 0, 270, 0});
  ExpectShown(layout.own, {1010, 0, 270, 720});
  // counterpart: width 1010 gives 757 > 720: height 720, width 960, x (1010 - 960) / 2.
  ExpectShown(layout.counterpart, {25, 0, 960, 720});
}

TEST(SideBySide, TheCounterpartIsTheStudentForATeacherAndTheTeacherOtherwise) {
  EXPECT_EQ(CounterpartRole(LessonRole::Teacher), LessonRole::Student);
  EXPECT_EQ(CounterpartRole(LessonRole::Student), LessonRole::Teacher);
  EXPECT_EQ(CounterpartRole(LessonRole::Assistant), LessonRole::Teacher);
  EXPECT_EQ(OtherRemoteRole(LessonRole::Teacher), LessonRole::Assistant);
  EXPECT_EQ(OtherRemoteRole(LessonRole::Student), LessonRole::Assistant);
  EXPECT_EQ(OtherRemoteRole(LessonRole::Assistant), LessonRole::Student);
}

// Degenerate inputs.

TEST(DegenerateSizes, HugeVideoSizesDoNotOverflowTheIntegerRules) {
  const auto layout = Pip(Present(2'000'000, 1'000'000), Absent(), Absent(), ViewSize{4000, 4000});
  ExpectShown(layout.main, {0, 1000, 4000, 2000});
}

TEST(DegenerateSizes, AViewWithNoHeightAndUnsizedTilesStillGivesRectangles) {
  const auto layout =
      LayoutSideBySide(ViewSize{1280, 0}, PresentUnsized(), PresentUnsized(), PresentUnsized());
  ExpectShown(layout.counterpart, {0, 0, 640, 0});
  ExpectShown(layout.other_remote, {640, 0, 640, 0});
  ExpectShown(layout.own, {640, 0, 640, 0});
}
