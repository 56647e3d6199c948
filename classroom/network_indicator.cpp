#include "classroom/network_indicator.h"

#include "base/diagnostics.h"

NetworkIndicator::~NetworkIndicator() {
  if (GetHWND() != nullptr) DestroyWindow(GetHWND());
}

namespace {

const wchar_t* QualityColour(unsigned level) {
  switch (level) {
    case 1:
      return L"#ff71bd5f";
    case 2:
    case 3:
      return L"#ffff9100";
    case 4:
    case 5:
      return L"ffd81e06";
    default:
      return L"#ff888888";
  }
}

}  // namespace

HRGN NetworkIndicator::SignalBarsRegion() {
  constexpr RECT kBars[] = {{0, 12, 3, 18}, {5, 8, 8, 18}, {10, 4, 13, 18}, {15, 0, 18, 18}};
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& bar : kBars) {
    HRGN piece = CreateRectRgn(bar.left, bar.top, bar.right, bar.bottom);
    CombineRgn(region, region, piece, RGN_OR);
    DeleteObject(piece);
  }
  return region;
}

void NetworkIndicator::SetQuality(unsigned level) {
  ui::CControlUI* background = m_PaintManager.FindControl(L"background");
  if (background == nullptr) {
    DebugPrint(L"network_indicator.xml has no \"background\" control; quality %u not shown", level);
    return;
  }
  background->SetAttribute(L"bkcolor", QualityColour(level));
}
