// A tile in a stand-in meeting view, built from the real skin archive of the test's language,
// with every message that reaches the stand-in recorded with its parameters.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/app_messages.h"
#include "classroom/canvas_view.h"
#include "classroom/window_fill.h"
#include "tests/platform/ui/ui_test_support.h"

namespace tile_test {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// The tile's place in the stand-in meeting view, as the layouts put tiles.
constexpr int kTileX = 1040;
constexpr int kTileY = 135;
constexpr int kTileWidth = 240;
constexpr int kTileHeight = 180;

class TileTest : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  void SetUp() override {
    ui_test::UseSkin(GetParam());
    meeting_view_.on_message = [this](UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
      seen_.push_back({message, wParam, lParam});
      handled = FALSE;
      return LRESULT{0};
    };
    meeting_view_.Open();
    MoveWindow(meeting_view_.GetHWND(), 100, 50, 1320, 720, TRUE);
    tile_.Create(meeting_view_.GetHWND(), L"t", CanvasView::kChildStyle, 0, kTileX, kTileY,
                 kTileWidth, kTileHeight);
    ui::CUiDriver::Pump();
    seen_.clear();
  }
  void TearDown() override { DestroyWindow(meeting_view_.GetHWND()); }

  HWND Tile() const { return tile_.GetHWND(); }
  HWND Bars() const { return tile_.network_indicator()->GetHWND(); }
  HWND Badge() const { return tile_.online_indicator()->GetHWND(); }

  // The messages of that number that reached the stand-in since the last pump in SetUp.
  std::vector<Seen> Received(UINT message) {
    ui::CUiDriver::Pump();
    std::vector<Seen> found;
    for (const Seen& seen : seen_) {
      if (seen.message == message) found.push_back(seen);
    }
    return found;
  }

  // A point in a window's client area, on the screen.
  static POINT OnScreen(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
  }
  // A child window's rectangle in its parent's client coordinates.
  static RECT PlaceInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    for (POINT& corner : corners) ScreenToClient(GetParent(child), &corner);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  }
  static std::uint32_t Rgb(HWND window, int x, int y) {
    return win::headless::WindowPixel(window, x, y) & 0xFFFFFF;
  }
  // Pixels of the tile within rect for which test holds (test takes x, y and the 0xRRGGBB colour).
  template <typename Test>
  int CountPixels(const RECT& rect, Test test) const {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) count += test(x, y, Rgb(Tile(), x, y)) ? 1 : 0;
    }
    return count;
  }
  // Exactly one tile click reached the stand-in since SetUp, at that point of its client area.
  void ExpectOneTileClickAt(int x, int y) {
    const auto clicks = Received(UM_TILE_CLICKED);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(clicks[0].lParam), x);
    EXPECT_EQ(GET_Y_LPARAM(clicks[0].lParam), y);
  }
  // Covers the tile as video would.
  void PaintWhite() const { FillClientArea(Tile(), RGB(255, 255, 255)); }

  ui_test::LayoutWindow meeting_view_{L"canvas_view.xml", L"QvMeetingViewStandIn"};
  CanvasView tile_;
  std::vector<Seen> seen_;
};

inline const wchar_t* const kArchives[] = {L"orbs.cn", L"orbs.en"};

inline std::string LanguageOf(const ::testing::TestParamInfo<const wchar_t*>& info) {
  return std::wstring(info.param) == L"orbs.cn" ? "cn" : "en";
}

}  // namespace tile_test
