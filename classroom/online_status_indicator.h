// The offline badge that a video tile lays over itself while the participant is away. It
// covers part of the tile, so it takes every mouse event and hands the tile the ones the
// tile relies on (moves, and the left-button release as a click).
#pragma once

#include <UIlib.h>

class OnlineStatusIndicator : public DuiLib::WindowImplBase {
 public:
  static constexpr int kSize = 128;

  ~OnlineStatusIndicator() override;

  // The layout's picture layer; null until the window is built.
  DuiLib::CControlUI* main_layer() const { return main_layer_; }

 protected:
  DuiLib::LPCTSTR GetWindowClassName() const override { return L"QV-ONLINESTATUSINDICATOR"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  DuiLib::CDuiString GetSkinFile() override { return L"online_status_indicator.xml"; }
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  DuiLib::CControlUI* main_layer_ = nullptr;
};
