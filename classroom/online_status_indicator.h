// The offline badge that a video tile lays over itself while the participant is away. It
// covers part of the tile, so it takes every mouse event and hands the tile the ones the
// tile relies on (moves, and the left-button release as a click).
#pragma once

#include <ui/ui.h>

class OnlineStatusIndicator : public ui::WindowImplBase {
 public:
  static constexpr int kSize = 128;

  ~OnlineStatusIndicator() override;

  // The layout's picture layer; null until the window is built.
  ui::CControlUI* main_layer() const { return main_layer_; }

 protected:
  ui::LPCTSTR GetWindowClassName() const override { return L"QV-ONLINESTATUSINDICATOR"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override { return L"online_status_indicator.xml"; }
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  ui::CControlUI* main_layer_ = nullptr;
};
