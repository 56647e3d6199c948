#include "classroom/tile_layout.h"

#include <cstdint>

namespace {

constexpr int kSmallTileWidth = 240;
constexpr int kSmallTileDefaultHeight = 180;

bool SizeKnown(const VideoTile& tile) { return tile.video_width > 0 && tile.video_height > 0; }

// a * b / c in integers, the product taken in 64 bits so large videos cannot overflow it.
int MulDivTruncated(int a, int b, int c) {
  return static_cast<int>(static_cast<std::int64_t>(a) * b / c);
}

TilePlacement Hidden() {
  TilePlacement placement;
  placement.visibility = TileVisibility::Hidden;
  return placement;
}

TilePlacement Shown(TileRect rect, bool indicators) {
  TilePlacement placement;
  placement.visibility = TileVisibility::Shown;
  placement.rect = rect;
  placement.indicators = indicators;
  return placement;
}

// The whole view with the video's aspect kept, centred; the whole view when its size is unknown.
TileRect FillKeepingAspect(ViewSize view, const VideoTile& tile) {
  int width = view.width;
  int height = view.height;
  if (tile.present && SizeKnown(tile)) {
    height = MulDivTruncated(tile.video_height, view.width, tile.video_width);
    if (height > view.height) {
      height = view.height;
      width = MulDivTruncated(tile.video_width, view.height, tile.video_height);
    }
  }
  return {(view.width - width) / 2, (view.height - height) / 2, width, height};
}

int SmallTileHeight(const VideoTile& tile) {
  return SizeKnown(tile) ? MulDivTruncated(tile.video_height, kSmallTileWidth, tile.video_width)
                         : kSmallTileDefaultHeight;
}

struct Size {
  int width;
  int height;
};

// A tile of the half-and-half arrangement: half wide, as high as its aspect asks, at most the view.
Size HalfTileSize(ViewSize view, const VideoTile& tile) {
  if (!SizeKnown(tile)) return {0, 0};
  const int half = view.width / 2;
  const int height =
      static_cast<int>(static_cast<double>(tile.video_height) / tile.video_width * half);
  return {half, height > view.height ? view.height : height};
}

SideBySide TwoHalves(ViewSize view, const VideoTile& counterpart, const VideoTile& other_remote,
                     const VideoTile& own) {
  const int half = view.width / 2;
  SideBySide layout;
  if (counterpart.present) {
    const Size size = HalfTileSize(view, counterpart);
    layout.counterpart =
        Shown({half - size.width, (view.height - size.height) / 2, size.width, size.height}, true);
  } else {
    layout.counterpart = Hidden();
  }
  if (other_remote.present) {
    const Size size = HalfTileSize(view, other_remote);
    const int x = counterpart.present ? view.width - half : half - size.width;
    layout.other_remote =
        Shown({x, (view.height - size.height) / 2, size.width, size.height}, true);
  } else if (counterpart.present) {
    layout.other_remote = Hidden();
  } else {
    // Nobody remote yet: an empty black tile with its offline badge holds the left half.
    layout.other_remote = Shown({0, 0, half, view.height}, false);
  }
  if (counterpart.present && other_remote.present) {
    layout.own = Hidden();
  } else {
    const Size size = HalfTileSize(view, own);
    layout.own = Shown(
        {view.width - half, (view.height - size.height) / 2, size.width, size.height}, own.present);
  }
  return layout;
}

SideBySide ThreeTiles(ViewSize view, const VideoTile& counterpart, const VideoTile& other_remote,
                      const VideoTile& own) {
  const int half = view.width / 2;
  const auto column_height = [half](const VideoTile& tile) {
    return SizeKnown(tile) ? MulDivTruncated(tile.video_height, half, tile.video_width) : 0;
  };
  TileRect upper{0, 0, half, column_height(other_remote)};
  TileRect lower{0, 0, half, column_height(own)};
  const int sum = upper.height + lower.height;
  if (sum < view.height || sum == 0) {
    upper.y = (view.height - sum) / 2;
    lower.y = upper.y + upper.height;
  } else {
    // Scaled together to fill the height. The column keeps the scale of a tile that has a
    // height; the other remote tile without a known size has none, so the own tile's is used.
    const int old_upper = upper.height;
    const int old_lower = lower.height;
    upper.height = static_cast<int>(static_cast<double>(old_upper) / sum * view.height);
    lower.height = view.height - upper.height;
    const double scale = old_upper > 0 ? static_cast<double>(upper.height) / old_upper
                                       : static_cast<double>(lower.height) / old_lower;
    upper.width = static_cast<int>(scale * half);
    lower.width = upper.width;
    upper.y = 0;
    lower.y = upper.height;
  }
  upper.x = view.width - upper.width;
  lower.x = view.width - lower.width;

  TileRect left{0, 0, half, 0};
  if (SizeKnown(counterpart)) {
    const int width = view.width - upper.width;
    const int height = static_cast<int>(static_cast<double>(counterpart.video_height) * width /
                                        counterpart.video_width);
    if (height > view.height) {
      const int narrower =
          MulDivTruncated(counterpart.video_width, view.height, counterpart.video_height);
      left = {(width - narrower) / 2, 0, narrower, view.height};
    } else {
      left = {0, (view.height - height) / 2, width, height};
    }
  }
  return {Shown(left, counterpart.present), Shown(upper, other_remote.present),
          Shown(lower, own.present)};
}

}  // namespace

PictureInPicture LayoutPictureInPicture(ViewSize view, const VideoTile& main,
                                        const VideoTile& upper, const VideoTile& lower,
                                        AlarmBarState alarm_bar) {
  PictureInPicture layout{Hidden(), Hidden(), Hidden()};
  if (main.present || !upper.present) {
    // An absent main tile stays quiet (no badge) while the alarm bar counts down over it.
    layout.main =
        Shown(FillKeepingAspect(view, main), main.present || alarm_bar == AlarmBarState::Visible);
  }
  int upper_height = 0;
  if (upper.present) {
    if (main.present) {
      upper_height = SmallTileHeight(upper);
      layout.upper = Shown({view.width - kSmallTileWidth, 0, kSmallTileWidth, upper_height}, true);
    } else {
      layout.upper = Shown(FillKeepingAspect(view, upper), true);
    }
  }
  if (main.present && upper.present) {
    const int height =
        lower.present && SizeKnown(lower) ? SmallTileHeight(lower) : kSmallTileDefaultHeight;
    layout.lower.rect =
        TileRect{view.width - kSmallTileWidth, upper_height, kSmallTileWidth, height};
    layout.lower.visibility = lower.present ? TileVisibility::Shown : TileVisibility::Hidden;
    layout.lower.indicators = lower.present;
  } else {
    layout.lower = Shown({view.width - kSmallTileWidth, 0, kSmallTileWidth, SmallTileHeight(lower)},
                         lower.present);
  }
  return layout;
}

SideBySide LayoutSideBySide(ViewSize view, const VideoTile& counterpart,
                            const VideoTile& other_remote, const VideoTile& own) {
  const int present = int{counterpart.present} + int{other_remote.present} + int{own.present};
  if (present == 0) return {};
  if (present == 3) return ThreeTiles(view, counterpart, other_remote, own);
  return TwoHalves(view, counterpart, other_remote, own);
}

LessonRole CounterpartRole(LessonRole own) {
  return own == LessonRole::Teacher ? LessonRole::Student : LessonRole::Teacher;
}

LessonRole OtherRemoteRole(LessonRole own) {
  return own == LessonRole::Assistant ? LessonRole::Student : LessonRole::Assistant;
}
