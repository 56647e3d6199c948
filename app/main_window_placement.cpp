// Where the main window puts its views and the windows that float over it, all from its own
// client area or screen rectangle.
#include "widgets/float_tip_wnd.h"
#include "app/main_window.h"
#include "app/main_window_notice.h"
#include "classroom/alarm_bar.h"
#include "classroom/control_bar.h"
#include "classroom/meeting_view.h"
#include "classroom/status_bar.h"
#include "views/login_view.h"

namespace {

// Every bar keeps 5 pixels to the main window's left and right edges.
constexpr int kBarInset = 5;
constexpr int kControlBarHeight = 180;
constexpr int kControlBarBottom = 185;  // from the main window's bottom edge to the bar's top
constexpr int kStatusBarHeight = 56;
constexpr int kStatusBarBottom = 61;
constexpr int kAlarmBarHeight = 174;
// The alarm bar's top: the middle of the window less 31 pixels of caption, raised by 56.
constexpr int kAlarmCaptionAllowance = 31;
constexpr int kAlarmBarRise = 56;
constexpr int kTipTop = 33;  // just below the caption

bool HasVisibleStyle(HWND window) {
  return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

RECT MainWindow::ScreenRect() const {
  RECT rect{};
  GetWindowRect(GetHWND(), &rect);
  return rect;
}

void MainWindow::LayoutChildren() {
  const RECT& box = m_PaintManager.GetSizeBox();
  const RECT& caption = m_PaintManager.GetCaptionRect();
  RECT client{};
  GetClientRect(GetHWND(), &client);
  const int caption_height = caption.bottom - caption.top;
  const int width = client.right - client.left - box.left - box.right;
  const int height = client.bottom - client.top - box.bottom - caption_height;
  const auto place = [&](ui::CWindowWnd* view) {
    if (view != nullptr) MoveWindow(view->GetHWND(), box.left, caption_height, width, height, TRUE);
  };
  place(login_view_.get());
  place(meeting_view_.get());
}

void MainWindow::PlaceBars() {
  PlaceControlBar(in_classroom_ == 1);
  PlaceStatusBar(in_classroom_ == 1);
  PlaceAlarmBar(HasVisibleStyle(alarm_bar().GetHWND()));
  if (notice_.Alive()) notice_.get()->CenterWindow();
  PlaceFloatTip();
}

void MainWindow::ShowBar(ui::CWindowWnd& bar, bool show, int x, int y, int width, int height) {
  MoveWindow(bar.GetHWND(), x, y, width, height, TRUE);
  bar.ShowWindow(show, true);
}

void MainWindow::PlaceControlBar(bool show) {
  const RECT r = ScreenRect();
  ShowBar(control_bar(), show, r.left + kBarInset, r.bottom - kControlBarBottom,
          r.right - r.left - 2 * kBarInset, kControlBarHeight);
}

void MainWindow::PlaceStatusBar(bool show) {
  const RECT r = ScreenRect();
  ShowBar(status_bar(), show, r.left + kBarInset, r.bottom - kStatusBarBottom,
          r.right - r.left - 2 * kBarInset, kStatusBarHeight);
}

void MainWindow::PlaceAlarmBar(bool show) {
  const RECT r = ScreenRect();
  ShowBar(alarm_bar(), show, r.left + kBarInset,
          r.top + (r.bottom - r.top - kAlarmCaptionAllowance) / 2 - kAlarmBarRise,
          r.right - r.left - 2 * kBarInset, kAlarmBarHeight);
}

void MainWindow::PlaceFloatTip() {
  FloatTipWnd& tip = float_tip();
  RECT tip_rect{};
  GetWindowRect(tip.GetHWND(), &tip_rect);
  const int width = tip_rect.right - tip_rect.left;
  const int height = tip_rect.bottom - tip_rect.top;
  const RECT r = ScreenRect();
  MoveWindow(tip.GetHWND(), r.left + (r.right - r.left - width) / 2, r.top + kTipTop, width, height,
             TRUE);
}
