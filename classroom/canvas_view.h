// One video tile of the classroom: a child window of the meeting view whose surface the media
// engine draws one participant's video into. The tile itself paints only black where no video
// is, carries the signal bars (while the participant is present) and the offline badge (while
// away), and hands mouse moves and clicks on to the meeting view.
//
// Ownership: whoever creates the tile owns the object (a std::unique_ptr in the meeting view);
// the tile owns its two indicators. Destroying an object destroys its window; a window
// destroyed first leaves its object inert, never deleted behind its owner's back.
#pragma once

#include <ui/ui.h>

#include <memory>

#include "classroom/network_indicator.h"
#include "classroom/online_status_indicator.h"

class CanvasView : public ui::WindowImplBase {
 public:
  // The style the meeting view creates tiles with, and the tile its indicators.
  static constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

  CanvasView() = default;
  ~CanvasView() override;

  // Shows the badge unless hide_offline_badge, the bars while present; an absent tile is
  // painted black.
  void UpdateIndicators(bool hide_offline_badge);

  // Null until the window is built.
  NetworkIndicator* network_indicator() const { return network_indicator_.get(); }
  OnlineStatusIndicator* online_indicator() const { return online_indicator_.get(); }
  bool hide_offline_badge() const { return hide_offline_badge_; }

  // Written by the meeting view from engine events; the sizes are never reset, so a
  // participant who comes back keeps the last known size until a new frame arrives.
  int video_width = 0;
  int video_height = 0;
  bool present = false;

 protected:
  ui::LPCTSTR GetWindowClassName() const override { return L"CanvasView"; }
  ui::CUiString GetSkinFile() override { return L"canvas_view.xml"; }
  void InitWindow() override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  void RepositionIndicators();
  void BlackWindowBackground();

  std::unique_ptr<NetworkIndicator> network_indicator_;
  std::unique_ptr<OnlineStatusIndicator> online_indicator_;
  bool hide_offline_badge_ = true;
};
