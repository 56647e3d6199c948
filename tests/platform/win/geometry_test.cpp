// Placing, stacking and relating windows; coordinate conversions; the screen's monitors.
#include <windows.h>
#include <win/headless.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/platform/win/window_test_support.h"

using win_test::CreateTestWindow;

namespace {

class Geometry : public ::testing::Test {
 protected:
  void SetUp() override {
    win_test::RegisterTestClass(L"GeometryTest");
    win::headless::ResetMonitors();
  }
  void TearDown() override { win_test::DestroyTestWindows(); }
  static HWND Popup(HWND owner = nullptr, int x = 0, int y = 0, int width = 100, int height = 100) {
    return CreateTestWindow(L"GeometryTest", nullptr, WS_POPUP | WS_VISIBLE, x, y, width, height,
                            owner);
  }
  // The position of each window among the top-level windows, front first.
  static int Rank(HWND window) {
    int rank = 0;
    for (HWND at = GetWindow(window, GW_HWNDFIRST); at != nullptr;
         at = GetWindow(at, GW_HWNDNEXT)) {
      if (at == window) return rank;
      ++rank;
    }
    return -1;
  }
};

TEST_F(Geometry, AWindowCentredOnTheDefaultWorkAreaLandsAt420And182) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &info));
  EXPECT_EQ(info.rcMonitor.right, 1920);
  EXPECT_EQ(info.rcMonitor.bottom, 1080);
  EXPECT_EQ(info.rcWork.bottom, 1040);
  EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
  const int x = (info.rcWork.right - info.rcWork.left - 1080) / 2;
  const int y = (info.rcWork.bottom - info.rcWork.top - 675) / 2;
  HWND window = Popup(nullptr, x, y, 1080, 675);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 420);
  EXPECT_EQ(rect.top, 182);
  EXPECT_EQ(rect.right - rect.left, 1080);
}

TEST_F(Geometry, AnOwnedWindowStaysAboveItsOwner) {
  HWND owner = Popup();
  HWND owned = Popup(owner);
  HWND other = Popup();
  EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
  SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_LT(Rank(owned), Rank(owner));
  EXPECT_LT(Rank(owner), Rank(other));
  // Even asked to go below its owner, it stays above.
  SetWindowPos(owned, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_LT(Rank(owned), Rank(owner));
  SetForegroundWindow(other);
  EXPECT_LT(Rank(other), Rank(owner));
  EXPECT_LT(Rank(owned), Rank(owner));
}

TEST_F(Geometry, TheTopmostPairRaisesAWindowAndLeavesItNotTopmost) {
  HWND behind = Popup();
  HWND front = Popup();
  ASSERT_LT(Rank(front), Rank(behind));
  SetWindowPos(behind, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_NE(GetWindowLongPtrW(behind, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  SetWindowPos(behind, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindowLongPtrW(behind, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_LT(Rank(behind), Rank(front));
  // Not topmost any more: a window raised later goes above it.
  SetWindowPos(front, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_LT(Rank(front), Rank(behind));
}

TEST_F(Geometry, TopmostWindowsStayAboveNormalOnes) {
  HWND topmost = Popup();
  SetWindowPos(topmost, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HWND later = Popup();
  SetWindowPos(later, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_LT(Rank(topmost), Rank(later));
}

TEST_F(Geometry, ChildRectanglesAreOnScreenAndConvertBothWays) {
  HWND parent = Popup(nullptr, 300, 200, 800, 600);
  HWND child = CreateTestWindow(L"GeometryTest", nullptr, WS_CHILD | WS_VISIBLE, 1040, 135, 240,
                                180, parent);
  RECT rect{};
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 1340);
  EXPECT_EQ(rect.top, 335);
  EXPECT_EQ(rect.right, 1580);
  EXPECT_EQ(rect.bottom, 515);
  RECT client{};
  GetClientRect(child, &client);
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.right, 240);
  EXPECT_EQ(client.bottom, 180);
  // A click at (10, 10) in the child is (1050, 145) in the parent.
  POINT point{10, 10};
  ClientToScreen(child, &point);
  ScreenToClient(parent, &point);
  EXPECT_EQ(point.x, 1050);
  EXPECT_EQ(point.y, 145);
  POINT mapped{10, 10};
  MapWindowPoints(child, parent, &mapped, 1);
  EXPECT_EQ(mapped.x, 1050);
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_TRUE(IsChild(parent, child));
  // Moving the parent carries the child along.
  MoveWindow(parent, 0, 0, 800, 600, TRUE);
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 1040);
}

TEST_F(Geometry, GetParentGivesTheOwnerOnlyOfPopups) {
  HWND owner = Popup();
  HWND popup = Popup(owner);
  HWND overlapped =
      CreateTestWindow(L"GeometryTest", nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, owner);
  EXPECT_EQ(GetParent(popup), owner);
  EXPECT_EQ(GetParent(overlapped), nullptr);
  EXPECT_EQ(GetWindow(overlapped, GW_OWNER), owner);
}

TEST_F(Geometry, MovesAndSizesAreReportedAndFlagsKeepWhatTheySay) {
  std::vector<UINT> seen;
  LPARAM size = 0;
  HWND window = CreateTestWindow(
      L"GeometryTest",
      [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_MOVE || m == WM_SIZE) seen.push_back(m);
        if (m == WM_SIZE) size = lp;
        return DefWindowProcW(w, m, wp, lp);
      },
      WS_POPUP, 10, 10, 100, 100);
  seen.clear();
  SetWindowPos(window, nullptr, 50, 60, 310, 41, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(seen, std::vector<UINT>{WM_SIZE});
  EXPECT_EQ(LOWORD(static_cast<DWORD_PTR>(size)), 310);
  EXPECT_EQ(HIWORD(static_cast<DWORD_PTR>(size)), 41);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 10);
  seen.clear();
  MoveWindow(window, 20, 30, 310, 41, TRUE);
  EXPECT_EQ(seen, std::vector<UINT>{WM_MOVE});
}

TEST_F(Geometry, VisibilityFollowsTheAncestorsAndIsAnnounced) {
  std::vector<WPARAM> shows;
  HWND parent = CreateTestWindow(
      L"GeometryTest",
      [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_SHOWWINDOW) shows.push_back(wp);
        return DefWindowProcW(w, m, wp, lp);
      },
      WS_POPUP, 0, 0, 100, 100);
  HWND child =
      CreateTestWindow(L"GeometryTest", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(parent, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(parent));
  EXPECT_EQ(shows, (std::vector<WPARAM>{TRUE, FALSE}));
}

TEST_F(Geometry, RestoreBringsAMinimisedWindowBack) {
  HWND window = Popup();
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(window));
  EXPECT_FALSE(IsWindowVisible(window));
  SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(Geometry, FindWindowLooksUpTopLevelWindowsByClass) {
  win_test::RegisterTestClass(L"QUORVEL_MAIN");
  EXPECT_EQ(FindWindowW(L"QUORVEL_MAIN", nullptr), nullptr);
  HWND main = CreateTestWindow(L"QUORVEL_MAIN", nullptr, WS_POPUP, 0, 0, 10, 10);
  CreateTestWindow(L"QUORVEL_MAIN", nullptr, WS_CHILD, 0, 0, 5, 5, main);
  EXPECT_EQ(FindWindowW(L"QUORVEL_MAIN", nullptr), main);
  EXPECT_EQ(FindWindowW(L"quorvel_main", nullptr), main);
  DestroyWindow(main);
  EXPECT_EQ(FindWindowW(L"QUORVEL_MAIN", nullptr), nullptr);
}

TEST_F(Geometry, ThreadsAndProcessesOfWindowsAreTheirCreators) {
  HWND window = Popup();
  DWORD process = 0;
  EXPECT_EQ(GetWindowThreadProcessId(window, &process), GetCurrentThreadId());
  EXPECT_EQ(process, GetCurrentProcessId());
  DWORD other_thread = 0;
  std::thread other([&] { other_thread = GetCurrentThreadId(); });
  other.join();
  EXPECT_NE(other_thread, GetCurrentThreadId());
  EXPECT_TRUE(AttachThreadInput(GetCurrentThreadId(), other_thread, TRUE));
}

TEST_F(Geometry, DisplayDevicesListEveryMonitorWithItsPosition) {
  win::headless::AddMonitor({RECT{1920, 0, 3200, 1024}, RECT{1920, 0, 3200, 984}});
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  std::vector<RECT> seen;
  for (DWORD i = 0; i < static_cast<DWORD>(GetSystemMetrics(SM_CMONITORS)); ++i) {
    DISPLAY_DEVICEW device{};
    device.cb = sizeof(device);
    ASSERT_TRUE(EnumDisplayDevicesW(nullptr, i, &device, 0));
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    ASSERT_TRUE(EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode));
    seen.push_back(RECT{mode.dmPosition.x, mode.dmPosition.y,
                        mode.dmPosition.x + static_cast<LONG>(mode.dmPelsWidth),
                        mode.dmPosition.y + static_cast<LONG>(mode.dmPelsHeight)});
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].right, 1920);
  EXPECT_EQ(seen[1].left, 1920);
  EXPECT_EQ(seen[1].right, 3200);
  DISPLAY_DEVICEW past{};
  past.cb = sizeof(past);
  EXPECT_FALSE(EnumDisplayDevicesW(nullptr, 2, &past, 0));
  // A window mostly on the second monitor belongs to it.
  HWND window = Popup(nullptr, 2000, 100, 300, 300);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  EXPECT_EQ(info.rcMonitor.left, 1920);
  EXPECT_EQ(info.dwFlags, 0u);
}

TEST_F(Geometry, TheDesktopWindowCoversThePrimaryMonitor) {
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &rect));
  EXPECT_EQ(rect.right, 1920);
  EXPECT_EQ(rect.bottom, 1080);
  EXPECT_TRUE(IsWindow(GetDesktopWindow()));
}

}  // namespace
