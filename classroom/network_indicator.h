// The signal bars of a video tile: four rising bars, cut out of the window by its region, all
// in one colour that tells the participant's connection quality. The tile shows and hides it.
#pragma once

#include <ui/ui.h>

class NetworkIndicator : public ui::WindowImplBase {
 public:
  static constexpr int kWidth = 18;
  static constexpr int kHeight = 18;

  ~NetworkIndicator() override;

  // The media engine's quality scale: 1 best, larger worse, 0 unknown.
  void SetQuality(unsigned level);

  // The four bars, in window coordinates; the caller hands it to SetWindowRgn.
  static HRGN SignalBarsRegion();

 protected:
  ui::LPCTSTR GetWindowClassName() const override { return L"NetworkIndicator"; }
  ui::CUiString GetSkinFile() override { return L"network_indicator.xml"; }
};
