// The meeting view's two arrangements of its three video tiles, as pure functions of the view's
// client size, who is present and the videos' sizes. The view applies the result: it moves
// (with repaint) each tile that has a rectangle, shows or hides it as told, and then calls the
// tile's UpdateIndicators with the given argument where there is one. A tile left Unchanged is
// not touched at all.
#pragma once

#include <optional>

#include "service/lesson_terms.h"

struct VideoTile {
  bool present = false;
  int video_width = 0;  // 0 until the first frame tells it
  int video_height = 0;
};

struct TileRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class TileVisibility { Unchanged, Shown, Hidden };

struct TilePlacement {
  TileVisibility visibility = TileVisibility::Unchanged;
  std::optional<TileRect> rect;    // in the view's client space
  std::optional<bool> indicators;  // the argument of the tile's UpdateIndicators
};

struct ViewSize {
  int width = 0;
  int height = 0;
};

// Picture-in-picture: the main slot's tile fills the view with its video's aspect, the upper
// and lower slots' tiles are 240 wide at the right edge.
enum class AlarmBarState { Hidden, Visible };
struct PictureInPicture {
  TilePlacement main;
  TilePlacement upper;
  TilePlacement lower;
};
PictureInPicture LayoutPictureInPicture(ViewSize view, const VideoTile& main,
                                        const VideoTile& upper, const VideoTile& lower,
                                        AlarmBarState alarm_bar);

// Side by side: the counterpart and the own tile in two halves meeting at the centre line; with
// all three present the other remote tile sits above the own one in a right-hand column.
struct SideBySide {
  TilePlacement counterpart;
  TilePlacement other_remote;
  TilePlacement own;
};
SideBySide LayoutSideBySide(ViewSize view, const VideoTile& counterpart,
                            const VideoTile& other_remote, const VideoTile& own);

// Whose tile plays which part in the side-by-side layout, from the participant's own role.
LessonRole CounterpartRole(LessonRole own);  // the student for a teacher, else the teacher
LessonRole OtherRemoteRole(LessonRole own);  // the student for an assistant, else the assistant
