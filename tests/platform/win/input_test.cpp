// Hotkeys and the user's mouse and keyboard reaching the right window at the right point.
#include <windows.h>
#include <win/headless.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/win/window_test_support.h"

using win_test::CreateTestWindow;
using win_test::PumpPending;

namespace {

struct Seen {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

class Input : public ::testing::Test {
 protected:
  void SetUp() override { win_test::RegisterTestClass(L"InputTest"); }
  void TearDown() override { win_test::DestroyTestWindows(); }
  static win_test::Handler Recorder(std::vector<Seen>& into, LRESULT hit = HTCLIENT) {
    return [&into, hit](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      if (m == WM_NCHITTEST) return hit;
      if (m == WM_HOTKEY || (m >= WM_MOUSEMOVE && m <= WM_MBUTTONUP) || m == WM_KEYDOWN) {
        into.push_back(Seen{m, wp, lp});
      }
      return DefWindowProcW(w, m, wp, lp);
    };
  }
};

TEST_F(Input, AHotkeyPressReachesTheRegisteringWindow) {
  std::vector<Seen> seen;
  HWND window = CreateTestWindow(L"InputTest", Recorder(seen), WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(RegisterHotKey(window, 4024, MOD_ALT | MOD_NOREPEAT, 'S'));
  win::headless::PressKey('S', MOD_ALT);
  win::headless::ReleaseKey('S', MOD_ALT);
  PumpPending();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, WM_HOTKEY);
  EXPECT_EQ(seen[0].wparam, 4024u);
  EXPECT_EQ(LOWORD(static_cast<DWORD_PTR>(seen[0].lparam)), MOD_ALT);
  EXPECT_EQ(HIWORD(static_cast<DWORD_PTR>(seen[0].lparam)), 'S');
  // Another modifier is another combination: an ordinary key press.
  win::headless::PressKey('S', MOD_CONTROL);
  PumpPending();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].message, WM_KEYDOWN);
}

TEST_F(Input, ATakenCombinationCannotBeRegistered) {
  HWND first = CreateTestWindow(L"InputTest", nullptr);
  HWND second = CreateTestWindow(L"InputTest", nullptr);
  ASSERT_TRUE(RegisterHotKey(first, 1, MOD_CONTROL, '1'));
  EXPECT_FALSE(RegisterHotKey(second, 2, MOD_CONTROL | MOD_NOREPEAT, '1'));
  EXPECT_FALSE(RegisterHotKey(first, 1, MOD_SHIFT, '2'));  // same id on the same window
  win::headless::TakeHotKeyElsewhere(MOD_ALT, 'S');
  EXPECT_FALSE(RegisterHotKey(second, 4024, MOD_ALT | MOD_NOREPEAT, 'S'));
  // Freed again, the combination can be taken.
  EXPECT_TRUE(UnregisterHotKey(first, 1));
  EXPECT_FALSE(UnregisterHotKey(first, 1));
  EXPECT_TRUE(RegisterHotKey(second, 2, MOD_CONTROL, '1'));
}

TEST_F(Input, ADestroyedWindowsHotkeysAreFreed) {
  HWND window = CreateTestWindow(L"InputTest", nullptr);
  ASSERT_TRUE(RegisterHotKey(window, 7, MOD_SHIFT, 'A'));
  DestroyWindow(window);
  HWND other = CreateTestWindow(L"InputTest", nullptr);
  EXPECT_TRUE(RegisterHotKey(other, 7, MOD_SHIFT, 'A'));
}

TEST_F(Input, AClickReachesTheDeepestChildAtItsClientPoint) {
  std::vector<Seen> parent_seen;
  std::vector<Seen> child_seen;
  HWND parent = CreateTestWindow(L"InputTest", Recorder(parent_seen), WS_POPUP | WS_VISIBLE, 100,
                                 100, 600, 400);
  HWND child = CreateTestWindow(L"InputTest", Recorder(child_seen), WS_CHILD | WS_VISIBLE, 50, 40,
                                200, 100, parent);
  ASSERT_NE(child, nullptr);
  win::headless::Click(win::headless::Button::Left, 160, 150);
  PumpPending();
  ASSERT_GE(child_seen.size(), 3u);
  EXPECT_EQ(child_seen.back().message, WM_LBUTTONUP);
  EXPECT_EQ(GET_X_LPARAM(child_seen.back().lparam), 10);
  EXPECT_EQ(GET_Y_LPARAM(child_seen.back().lparam), 10);
  EXPECT_EQ(child_seen[child_seen.size() - 2].message, WM_LBUTTONDOWN);
  EXPECT_NE(child_seen[child_seen.size() - 2].wparam & MK_LBUTTON, 0u);
  EXPECT_TRUE(parent_seen.empty());
  win::headless::Click(win::headless::Button::Left, 110, 110);
  PumpPending();
  ASSERT_FALSE(parent_seen.empty());
  EXPECT_EQ(GET_X_LPARAM(parent_seen.back().lparam), 10);
}

TEST_F(Input, ATransparentWindowLetsTheClickThroughAndADisabledOneEatsIt) {
  std::vector<Seen> below_seen;
  std::vector<Seen> above_seen;
  CreateTestWindow(L"InputTest", Recorder(below_seen), WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
  HWND above = CreateTestWindow(L"InputTest", Recorder(above_seen, HTTRANSPARENT),
                                WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  win::headless::Click(win::headless::Button::Left, 20, 20);
  PumpPending();
  EXPECT_TRUE(above_seen.empty());
  EXPECT_FALSE(below_seen.empty());
  below_seen.clear();
  // The click raised the window below; put the other one back on top, disabled.
  SetWindowPos(above, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  win_test::SetHandler(above, Recorder(above_seen));
  EnableWindow(above, FALSE);
  win::headless::Click(win::headless::Button::Left, 20, 20);
  PumpPending();
  EXPECT_TRUE(above_seen.empty());
  EXPECT_TRUE(below_seen.empty());
}

TEST_F(Input, AWindowRegionShapesWhereTheMouseIsTaken) {
  std::vector<Seen> seen;
  HWND window = CreateTestWindow(L"InputTest", Recorder(seen), WS_POPUP | WS_VISIBLE, 0, 0, 18, 18);
  HRGN bars = CreateRectRgn(0, 12, 3, 18);
  HRGN tall = CreateRectRgn(15, 0, 18, 18);
  EXPECT_EQ(CombineRgn(bars, bars, tall, RGN_OR), COMPLEXREGION);
  DeleteObject(tall);
  EXPECT_TRUE(SetWindowRgn(window, bars, TRUE));
  win::headless::Click(win::headless::Button::Left, 1, 1);  // above the short bar
  PumpPending();
  EXPECT_TRUE(seen.empty());
  win::headless::Click(win::headless::Button::Left, 16, 1);
  PumpPending();
  EXPECT_FALSE(seen.empty());
}

TEST_F(Input, ACaptionPressDragsTheWindow) {
  std::vector<Seen> seen;
  HWND window = CreateTestWindow(L"InputTest", Recorder(seen, HTCAPTION), WS_POPUP | WS_VISIBLE,
                                 100, 100, 400, 300);
  win::headless::MoveCursor(150, 110);
  win::headless::PressButton(win::headless::Button::Left);
  win::headless::MoveCursor(250, 160);
  win::headless::ReleaseButton(win::headless::Button::Left);
  PumpPending();
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, 150);
  EXPECT_EQ(rect.right - rect.left, 400);
  EXPECT_TRUE(seen.empty());
}

TEST_F(Input, TheCaptureGetsTheMouseWhereverItIs) {
  std::vector<Seen> seen;
  HWND window = CreateTestWindow(L"InputTest", Recorder(seen), WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  SetCapture(window);
  win::headless::MoveCursor(500, 400);
  PumpPending();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(seen[0].lparam), 500);
  ReleaseCapture();
  win::headless::MoveCursor(510, 400);
  PumpPending();
  EXPECT_EQ(seen.size(), 1u);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 510);
}

TEST_F(Input, KeysGoToTheFocusWindow) {
  std::vector<Seen> first_seen;
  std::vector<Seen> second_seen;
  HWND first = CreateTestWindow(L"InputTest", Recorder(first_seen), WS_POPUP | WS_VISIBLE);
  CreateTestWindow(L"InputTest", Recorder(second_seen), WS_POPUP | WS_VISIBLE);
  SetFocus(first);
  win::headless::PressKey(VK_RETURN, 0);
  PumpPending();
  ASSERT_EQ(first_seen.size(), 1u);
  EXPECT_EQ(first_seen[0].wparam, VK_RETURN);
  EXPECT_TRUE(second_seen.empty());
}

TEST_F(Input, LeavingATrackedWindowIsAnnounced) {
  int leaves = 0;
  HWND window = CreateTestWindow(
      L"InputTest",
      [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_MOUSELEAVE) ++leaves;
        return DefWindowProcW(w, m, wp, lp);
      },
      WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  win::headless::MoveCursor(10, 10);
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
  ASSERT_TRUE(TrackMouseEvent(&track));
  win::headless::MoveCursor(300, 300);
  win::headless::MoveCursor(310, 300);
  PumpPending();
  EXPECT_EQ(leaves, 1);
}

}  // namespace
