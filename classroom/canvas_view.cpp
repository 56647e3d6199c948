#include "classroom/canvas_view.h"

#include "base/app_messages.h"
#include "base/diagnostics.h"
#include "classroom/child_point.h"
#include "classroom/window_fill.h"

namespace {

constexpr int kIndicatorX = 20;
constexpr int kIndicatorY = 15;

void SetShown(HWND window, bool shown) { ShowWindow(window, shown ? SW_SHOWNOACTIVATE : SW_HIDE); }

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

CanvasView::~CanvasView() {
  // Here, not in the base: the indicators must still exist while the window goes.
  if (GetHWND() != nullptr) DestroyWindow(GetHWND());
}

void CanvasView::InitWindow() {
  if (!network_indicator_) {
    network_indicator_ = std::make_unique<NetworkIndicator>();
    network_indicator_->Create(GetHWND(), nullptr, kChildStyle, 0, kIndicatorX, kIndicatorY,
                               NetworkIndicator::kWidth, NetworkIndicator::kHeight);
    SetWindowRgn(network_indicator_->GetHWND(), NetworkIndicator::SignalBarsRegion(), FALSE);
    network_indicator_->ShowWindow(false, false);
  }
  if (!online_indicator_) {
    // Centred at the first move or resize.
    online_indicator_ = std::make_unique<OnlineStatusIndicator>();
    online_indicator_->Create(GetHWND(), nullptr, kChildStyle, 0, kIndicatorX, kIndicatorY,
                              OnlineStatusIndicator::kSize, OnlineStatusIndicator::kSize);
  }
}

void CanvasView::UpdateIndicators(bool hide_offline_badge) {
  hide_offline_badge_ = hide_offline_badge;
  if (!present) BlackWindowBackground();
  if (online_indicator_) SetShown(online_indicator_->GetHWND(), !hide_offline_badge);
  if (network_indicator_) SetShown(network_indicator_->GetHWND(), present);
}

void CanvasView::RepositionIndicators() {
  // The window system moves and sizes the tile before InitWindow has built the indicators.
  if (!network_indicator_ || !online_indicator_) return;
  const HWND bars = network_indicator_->GetHWND();
  MoveWindow(bars, kIndicatorX, kIndicatorY, NetworkIndicator::kWidth, NetworkIndicator::kHeight,
             TRUE);
  // The bars follow the badge flag, not presence, until the next UpdateIndicators.
  SetShown(bars, hide_offline_badge_);

  const HWND badge = online_indicator_->GetHWND();
  RECT tile{};
  RECT badge_rect{};
  GetWindowRect(GetHWND(), &tile);
  GetWindowRect(badge, &badge_rect);
  MoveWindow(badge, (Width(tile) - Width(badge_rect)) / 2, (Height(tile) - Height(badge_rect)) / 2,
             Width(badge_rect), Height(badge_rect), TRUE);
  SetShown(badge, !hide_offline_badge_);
}

void CanvasView::BlackWindowBackground() { FillClientArea(GetHWND(), RGB(0, 0, 0)); }

LRESULT CanvasView::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  switch (message) {
    case WM_MOVE:
      RepositionIndicators();
      break;
    case WM_SIZE:
      RepositionIndicators();
      BlackWindowBackground();
      DebugPrint(L"\r\nWM_SIZE -> CanvasView::BlackWindowBackgroud()");
      break;
    case WM_MOUSEMOVE:
      PostMessageW(GetParent(GetHWND()), WM_MOUSEMOVE, wParam, lParam);
      break;
    case WM_LBUTTONUP:
      PostMessageW(GetParent(GetHWND()), UM_TILE_CLICKED, wParam,
                   ToParentClientPoint(GetHWND(), lParam));
      break;
    default:
      break;
  }
  handled = FALSE;
  return 0;
}
